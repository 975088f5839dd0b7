// A stand-in for Plasma's system dialog, so that KDE's screenshot portal loads its dialog without
// the whole Plasma workspace: the test asks only for screenshots without a dialog, so it is never
// shown.
import QtQuick 2.15
import QtQuick.Window 2.15

Window {
    property string iconName
    property string mainText
    property string subtitle
    property bool acceptable: true
    property int standardButtons
    property list<QtObject> actions
    readonly property var dialogButtonBox: ({ standardButton: function() { return {}; } })
    signal accept()
    signal reject()
    function present() {}
    visible: false
}
