#!/usr/bin/python3
# GNOME Shell for the test, over the session bus. The shell serves its own screenshots and window
# list only to a few known callers: this process takes one of their names first (free on the
# test's private bus, which starts no services by itself).
# Usage: gnome_shell.py COMMAND...
#   overview-off            leaves the overview the shell opens at start
#   permission yes|no       the user's answer to "may Mirthwick take screenshots" in the permission store
#   screenshot FILE         the whole screen, without the pointer, as a PNG
#   window TITLE            "X Y WIDTH HEIGHT" of the window with that title
#   escape PID              Escape pressed for 0.15 s through mutter's remote desktop, again each
#                           second (up to 5 times) while PID runs: the first keys of a new virtual
#                           keyboard may come before the client has its keymap
import json
import os
import sys
import time

import dbus

bus = dbus.SessionBus()


def shell(path, interface):
    return dbus.Interface(bus.get_object('org.gnome.Shell', path), interface)


command = sys.argv[1]
if command == 'overview-off':
    shell('/org/gnome/Shell', 'org.freedesktop.DBus.Properties').Set('org.gnome.Shell', 'OverviewActive', False)
elif command == 'permission':
    store = dbus.Interface(bus.get_object('org.freedesktop.impl.portal.PermissionStore',
                                          '/org/freedesktop/impl/portal/PermissionStore'),
                           'org.freedesktop.impl.portal.PermissionStore')
    store.SetPermission('screenshot', True, 'screenshot', '', [sys.argv[2]])
elif command in ('screenshot', 'window'):
    bus.request_name('org.gnome.Screenshot' if command == 'screenshot' else 'org.freedesktop.impl.portal.desktop.gtk',
                     dbus.bus.NAME_FLAG_DO_NOT_QUEUE)
    time.sleep(0.3)  # the shell learns the name's new owner
    if command == 'screenshot':
        done, _ = shell('/org/gnome/Shell/Screenshot', 'org.gnome.Shell.Screenshot').Screenshot(False, False,
                                                                                             sys.argv[2])
        sys.exit(0 if done else 1)
    windows = shell('/org/gnome/Shell/Introspect', 'org.gnome.Shell.Introspect').GetWindows()
    for props in windows.values():
        if str(props.get('title', '')) == sys.argv[2]:
            print(json.dumps({str(k): (v if isinstance(v, (int, str, bool)) else str(v)) for k, v in props.items()}))
            break
    else:
        sys.exit(1)
elif command == 'escape':
    remote = dbus.Interface(bus.get_object('org.gnome.Mutter.RemoteDesktop', '/org/gnome/Mutter/RemoteDesktop'),
                            'org.gnome.Mutter.RemoteDesktop')
    session = dbus.Interface(bus.get_object('org.gnome.Mutter.RemoteDesktop', remote.CreateSession()),
                             'org.gnome.Mutter.RemoteDesktop.Session')
    session.Start()
    for _ in range(5):
        time.sleep(1)
        if not os.path.exists('/proc/' + sys.argv[2]):
            break
        session.NotifyKeyboardKeysym(0xff1b, True)
        time.sleep(0.15)
        session.NotifyKeyboardKeysym(0xff1b, False)
    session.Stop()
