#!/usr/bin/python3
# A stand-in for the XDG desktop portal's Screenshot on the session bus, for the program's answer
# paths. Before each call the test writes CASE_FILE with one line, "RESPONSE URI" (answered 50 ms
# after the call) or "silent" (never answered). A request withdrawn with Close is logged to
# LOG_FILE as "closed PATH", every call as "call TOKEN".
# Usage: fake_portal.py CASE_FILE LOG_FILE
import sys

import dbus
import dbus.mainloop.glib
import dbus.service
from gi.repository import GLib

CASE_FILE, LOG_FILE = sys.argv[1], sys.argv[2]
OBJECT = '/org/freedesktop/portal/desktop'


def log(line):
    with open(LOG_FILE, 'a') as f:
        f.write(line + '\n')


class Request(dbus.service.Object):
    @dbus.service.method('org.freedesktop.portal.Request', in_signature='', out_signature='')
    def Close(self):
        log('closed ' + self.__dbus_object_path__)
        self.remove_from_connection()

    @dbus.service.signal('org.freedesktop.portal.Request', signature='ua{sv}')
    def Response(self, response, results):
        pass


class Portal(dbus.service.Object):
    @dbus.service.method('org.freedesktop.portal.Screenshot', in_signature='sa{sv}', out_signature='o',
                         sender_keyword='sender')
    def Screenshot(self, parent, options, sender):
        token = str(options.get('handle_token', 'none'))
        path = '%s/request/%s/%s' % (OBJECT, sender[1:].replace('.', '_'), token)
        log('call ' + token)
        request = Request(self.connection, path)
        case = open(CASE_FILE).read().split(' ', 1)
        if case[0].strip() != 'silent':
            response, uri = int(case[0]), (case[1:] or [''])[0].strip()

            def answer():
                request.Response(dbus.UInt32(response),
                                 dbus.Dictionary({'uri': dbus.String(uri)} if response == 0 else {}, signature='sv'))
                return False
            GLib.timeout_add(50, answer)
        return dbus.ObjectPath(path)

    @dbus.service.method('org.freedesktop.DBus.Properties', in_signature='ss', out_signature='v')
    def Get(self, interface, name):
        return dbus.UInt32(1)


dbus.mainloop.glib.DBusGMainLoop(set_as_default=True)
bus = dbus.SessionBus()
name = dbus.service.BusName('org.freedesktop.portal.Desktop', bus)
Portal(bus, OBJECT)
log('ready')
GLib.MainLoop().run()
