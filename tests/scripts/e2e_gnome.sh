#!/usr/bin/env bash
# End to end on GNOME: GNOME Shell headless (one 1280 x 720 virtual monitor, software rendering)
# with a known wallpaper, on a private session bus with GNOME's screenshot portal, and a stand-in
# login manager (python3-dbusmock) on a private system bus. With the user's "yes" in the permission
# store the program's screen must equal the desktop it photographed, its window must cover the
# monitor, the portal's picture must be gone and Escape must end it with exit code 0; with "no" the
# screen is black with the reason on standard error and on the screen. As root the test runs as a
# throwaway user. MW_SHOTS=FOLDER keeps the screenshots.
# Usage: e2e_gnome.sh BUILD_DIR SOURCE_DIR
set -uo pipefail
SELF=$(readlink -f "$0")
source "$(dirname "$SELF")/lib/e2e.sh"
source "$(dirname "$SELF")/lib/desktop_session.sh"
W=1280 H=720
HELPER=$(dirname "$SELF")/lib/gnome_shell.py

if [ -z "${MW_WORK:-}" ]; then
  BUILD=$(cd "${1:?build dir}" && pwd)
  [ -x "$BUILD/mirthwick" ] || skip "the desktop program was not built"
  require_tools gnome-shell dbus-run-session dbus-daemon dbus-send convert /usr/bin/python3 \
    /usr/libexec/xdg-desktop-portal /usr/libexec/xdg-desktop-portal-gnome /usr/libexec/xdg-permission-store
  /usr/bin/python3 -c 'import dbus, dbusmock' 2>/dev/null || skip "python3-dbusmock is missing (./dev test installs it)"
  e2e_begin
  copy_program "$BUILD/mirthwick" "$WORK/app"
  run_as_user "$SELF" mwgnome
  exit $?
fi

# --- As the user, first outside the session bus: the system bus with its login manager -----------
e2e_begin "$MW_WORK"
on_cleanup() { stop_started; }
on_fail() {
  [ -s "$WORK/shell.log" ] && { echo "--- gnome-shell log (end)"; grep -v '^$' "$WORK/shell.log" | tail -n 20; }
  [ -s "$WORK/portal.log" ] && { echo "--- portal log (end)"; tail -n 15 "$WORK/portal.log"; }
  return 0
}
if [ -z "${MW_IN_SESSION:-}" ]; then
  bus_config "$WORK/system-bus.conf" system "unix:path=$WORK/run/system_bus"
  dbus-daemon --config-file="$WORK/system-bus.conf" --nofork --nopidfile >"$WORK/system-bus.log" 2>&1 &
  started $!
  export DBUS_SYSTEM_BUS_ADDRESS=unix:path=$WORK/run/system_bus
  wait_for 5 test -S "$WORK/run/system_bus" || skip "GNOME: the private system bus did not start"
  /usr/bin/python3 -m dbusmock --template logind --system >"$WORK/logind.log" 2>&1 &
  started $!
  wait_for 10 dbus-send --system --print-reply --dest=org.freedesktop.login1 /org/freedesktop/login1 \
    org.freedesktop.DBus.Peer.Ping || skip "GNOME: the stand-in login manager did not start: $(tail -n 2 "$WORK/logind.log")"
  bus_config "$WORK/session-bus.conf" session "unix:tmpdir=$WORK/run"
  MW_IN_SESSION=1 timeout 200 dbus-run-session --config-file="$WORK/session-bus.conf" -- bash "$SELF" \
    2> >(grep -v 'fd limit' >&2)
  status=$?
  [ $status -eq 0 ] && echo "PASS"
  exit $status
fi

# --- On the session bus ------------------------------------------------------------------------
APP=$WORK/app/mirthwick
make_wallpaper "$WORK/wall.png"
# Settings without dconf; the lock-screen warning (drawn over everything) already shown; photos
# into ~/Pictures.
export GSETTINGS_BACKEND=keyfile XDG_CONFIG_HOME=$HOME/.config XDG_DATA_HOME=$HOME/.local/share
export XDG_CURRENT_DESKTOP=GNOME XDG_SESSION_TYPE=wayland NO_AT_BRIDGE=1 GTK_A11Y=none LIBGL_ALWAYS_SOFTWARE=1
mkdir -p "$XDG_CONFIG_HOME/glib-2.0/settings" "$XDG_DATA_HOME/gnome-shell" "$HOME/Pictures"
cat >"$XDG_CONFIG_HOME/glib-2.0/settings/keyfile" <<EOF
[org/gnome/desktop/background]
picture-uri='file://$WORK/wall.png'
picture-uri-dark='file://$WORK/wall.png'
picture-options='stretched'
[org/gnome/desktop/interface]
enable-animations=false
EOF
: >"$XDG_DATA_HOME/gnome-shell/lock-warning-shown"
echo 'XDG_PICTURES_DIR="$HOME/Pictures"' >"$XDG_CONFIG_HOME/user-dirs.dirs"

export WAYLAND_DISPLAY=wayland-mwgnome-$$
gnome-shell --headless --wayland --no-x11 --virtual-monitor ${W}x$H --wayland-display="$WAYLAND_DISPLAY" \
  >"$WORK/shell.log" 2>&1 &
started $!
SHELL_PID=$!
for _ in $(seq 150); do
  kill -0 "$SHELL_PID" 2>/dev/null || skip "GNOME Shell ended at start: $(grep -v '^$' "$WORK/shell.log" | tail -n 1)"
  [ -S "$XDG_RUNTIME_DIR/$WAYLAND_DISPLAY" ] && /usr/bin/python3 "$HELPER" overview-off 2>/dev/null && break
  sleep 0.2
done
/usr/bin/python3 "$HELPER" overview-off 2>/dev/null ||
  skip "GNOME Shell did not start within 30 s: $(grep -v '^$' "$WORK/shell.log" | tail -n 1)"
/usr/libexec/xdg-permission-store >"$WORK/portal.log" 2>&1 &
started $!
/usr/libexec/xdg-desktop-portal-gnome >>"$WORK/portal.log" 2>&1 &
started $!
wait_for 10 dbus-send --session --print-reply --dest=org.freedesktop.impl.portal.desktop.gnome \
  /org/freedesktop/portal/desktop org.freedesktop.DBus.Peer.Ping || skip "GNOME's portal backend did not start"
/usr/libexec/xdg-desktop-portal -r >>"$WORK/portal.log" 2>&1 &
started $!
wait_for 15 portal_ready || skip "GNOME's screenshot portal did not start: $(tail -n 1 "$WORK/portal.log")"
echo "GNOME Shell $(gnome-shell --version | grep -o '[0-9.]*$'), headless at ${W}x$H"

# The desktop before the program, as the shell itself photographs it (without the pointer), once
# the overview has gone.
below_bar() { convert "$1" -crop ${W}x$((H - 40))+0+40 -depth 8 rgb:- | md5sum; }
for _ in $(seq 20); do
  /usr/bin/python3 "$HELPER" overview-off 2>/dev/null
  /usr/bin/python3 "$HELPER" screenshot "$WORK/desktop.png" 2>"$WORK/helper.err" &&
    [ "$(below_bar "$WORK/desktop.png")" = "$(below_bar "$WORK/wall.png")" ] && break
  sleep 0.5
done
[ -s "$WORK/desktop.png" ] || fail "GNOME Shell took no screenshot: $(tail -n 1 "$WORK/helper.err")"
keep_shot "$WORK/desktop.png" gnome-desktop
[ "$(below_bar "$WORK/desktop.png")" = "$(below_bar "$WORK/wall.png")" ] ||
  fail "GNOME Shell does not show the wallpaper exactly below its top bar"
echo "ok: the desktop shows the wallpaper exactly below the top bar"

start_app() {  # WHAT
  rm -f "$WORK/app/Files/Img/1.bmp"
  # Without the start hint, which the black-screen check would take for a stray drawing.
  start_program "$WORK" env SDL_AUDIODRIVER=dummy "$APP" --no-hint
  wait_for 20 test -f "$WORK/app/Files/Img/1.bmp" || fail "$1: the program wrote no snapshot within 20 s"
  sleep 1.5  # the window appears after the photograph
  kill -0 "$APP_PID" 2>/dev/null || fail "$1: the program ended at start"
}

escape_ends() {  # WHAT
  /usr/bin/python3 "$HELPER" escape "$APP_PID" || fail "$1: mutter's remote desktop did not press Escape"
  expect_exit 10 "$1: Escape"
}

# --- The user said yes ---------------------------------------------------------------------------
/usr/bin/python3 "$HELPER" permission yes || fail "could not answer yes in the permission store"
start_app "allowed"
grep -q "cannot photograph" "$WORK/app.err" && fail "allowed: the portal capture failed"
result=""
for _ in $(seq 10); do
  /usr/bin/python3 "$HELPER" screenshot "$WORK/shown.png" && result=$(same_desktop "$WORK/shown.png" "$WORK/desktop.png" 40) &&
    break
  sleep 0.5
done
keep_shot "$WORK/shown.png" gnome-program
same_desktop "$WORK/shown.png" "$WORK/desktop.png" 40 >/dev/null || fail "allowed: the screen is not the desktop: $result"
echo "ok: allowed: the screen is the desktop photographed ($result)"
window=$(/usr/bin/python3 "$HELPER" window Mirthwick) || fail "allowed: GNOME Shell lists no Mirthwick window"
/usr/bin/python3 - "$window" $W $H <<'PY' || fail "allowed: the window does not cover the monitor: $window"
import json, sys
w = json.loads(sys.argv[1])
sys.exit(0 if (w.get('width'), w.get('height')) == (int(sys.argv[2]), int(sys.argv[3])) else 1)
PY
echo "ok: allowed: the window covers the monitor ($window)"
expect_no_portal_picture "$HOME" "allowed"
escape_ends "allowed"

# --- The user said no ----------------------------------------------------------------------------
/usr/bin/python3 "$HELPER" permission no || fail "could not answer no in the permission store"
start_app "refused"
reason="the screenshot portal refused (permission denied or cancelled)"
grep -qF "cannot photograph the desktop: $reason; it shows black." "$WORK/app.err" ||
  fail "refused: standard error does not say \"$reason\""
/usr/bin/python3 "$HELPER" screenshot "$WORK/refused.png" || fail "GNOME Shell took no screenshot"
keep_shot "$WORK/refused.png" gnome-refused
result=$(black_with_notice "$WORK/refused.png" 40) || fail "refused: the screen is not black with the notice: $result"
echo "ok: refused: black, the reason on standard error and on the screen ($result)"
escape_ends "refused"
expect_no_portal_picture "$HOME" "refused"
exit 0
