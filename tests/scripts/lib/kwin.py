#!/usr/bin/python3
# A window on KWin, through a KWin script loaded over the session bus that reports back over D-Bus:
# prints "X Y WIDTH HEIGHT FULLSCREEN" of the window with the title TITLE, and closes it when asked.
# Usage: kwin.py window TITLE [close]
import os
import sys
import tempfile

import dbus
import dbus.mainloop.glib
import dbus.service
from gi.repository import GLib

dbus.mainloop.glib.DBusGMainLoop(set_as_default=True)
bus = dbus.SessionBus()
command = sys.argv[1]

if command == 'window':
    title, close = sys.argv[2], len(sys.argv) > 3 and sys.argv[3] == 'close'
    found = []
    loop = GLib.MainLoop()

    class Reporter(dbus.service.Object):
        @dbus.service.method('org.mirthwick.Test', in_signature='s', out_signature='')
        def Report(self, line):
            found.append(str(line))
            GLib.idle_add(loop.quit)
    name = dbus.service.BusName('org.mirthwick.Test', bus)
    Reporter(bus, '/')
    script = tempfile.NamedTemporaryFile('w', suffix='.js', delete=False)
    script.write('''
const windows = workspace.clientList().filter(w => w.caption == %s);
let line = 'none';
if (windows.length > 0) {
    const g = windows[0].frameGeometry;
    line = [g.x, g.y, g.width, g.height, windows[0].fullScreen].join(' ');
    if (%s) windows[0].closeWindow();
}
callDBus('org.mirthwick.Test', '/', 'org.mirthwick.Test', 'Report', line);
''' % (repr(title), 'true' if close else 'false'))
    script.close()
    scripting = dbus.Interface(bus.get_object('org.kde.KWin', '/Scripting'), 'org.kde.kwin.Scripting')
    plugin = 'mirthwick-test-%d' % os.getpid()
    scripting.loadScript(script.name, plugin, signature='ss')
    scripting.start()
    GLib.timeout_add(5000, loop.quit)
    loop.run()
    scripting.unloadScript(plugin)
    os.unlink(script.name)
    if not found or found[0] == 'none':
        sys.exit(1)
    print(found[0])
