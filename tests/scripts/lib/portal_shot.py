#!/usr/bin/python3
# A screenshot through the desktop portal on the session bus, as any client takes one: the
# portal's picture is moved to FILE. Exits 1 when the portal refuses or does not answer in 20 s.
# Usage: portal_shot.py FILE
import os
import shutil
import sys
import urllib.parse

import dbus
import dbus.mainloop.glib
from gi.repository import GLib

dbus.mainloop.glib.DBusGMainLoop(set_as_default=True)
bus = dbus.SessionBus()
token = 'mwtest%d' % os.getpid()
path = '/org/freedesktop/portal/desktop/request/%s/%s' % (bus.get_unique_name()[1:].replace('.', '_'), token)
answer = []
loop = GLib.MainLoop()


def on_response(response, results):
    answer.append((int(response), str(results.get('uri', ''))))
    loop.quit()


bus.add_signal_receiver(on_response, 'Response', 'org.freedesktop.portal.Request', None, path)
portal = dbus.Interface(bus.get_object('org.freedesktop.portal.Desktop', '/org/freedesktop/portal/desktop'),
                        'org.freedesktop.portal.Screenshot')
portal.Screenshot('', {'handle_token': token, 'interactive': False})
GLib.timeout_add(20000, loop.quit)
loop.run()
if not answer or answer[0][0] != 0 or not answer[0][1].startswith('file://'):
    sys.exit('the portal answered %r' % (answer,))
shutil.move(urllib.parse.unquote(answer[0][1][len('file://'):]), sys.argv[1])
