#!/usr/bin/env bash
# End to end on a real X server (Xvfb): the command line (--help, --version and bad arguments end
# at once, with no display and with one, showing no window and photographing nothing; --windowed;
# --mute opens no sound device), then the desktop program photographs a known desktop, shows it
# pixel for pixel, writes the snapshot file, switches presentation with F11, paints again what a
# covering window hid, quits on Escape, and ends with exit code 0 when its window is closed or
# destroyed. Once at depth 24, once at 30; the picture checks once more through the OpenGL renderer
# (MIRTHWICK_PRESENT=renderer), since Xvfb's own choice is the window surface.
# Usage: e2e_desktop.sh BUILD_DIR SOURCE_DIR
set -uo pipefail
BUILD=$(cd "${1:?build dir}" && pwd)
W=1280 H=720
# Compared pictures leave out the top rows, where the statistics text goes, and the bottom row:
# the tool in hand is drawn with its top-left corner at the mouse, which waits in the bottom-right
# corner pixel.
TOP=40

source "$(dirname "$0")/lib/e2e.sh"
[ -x "$BUILD/mirthwick" ] || skip "the desktop program was not built"
require_tools Xvfb xdotool xwininfo xprop import convert display /usr/bin/python3

e2e_begin
APP_DIR=$WORK/app
copy_program "$BUILD/mirthwick" "$APP_DIR"
SNAPSHOT=$APP_DIR/Files/Img/1.bmp
own_runtime_folder
make_desktop 'x' 'y' '((x >> 8) * 40 + (y >> 8) * 17) ^ (x * 3 + y)'

start_app() {  # [ENV...]: from another folder, as a user would
  rm -f "$SNAPSHOT"
  park_pointer
  start_program /tmp env SDL_AUDIODRIVER=dummy "$@" "$APP_DIR/mirthwick"
  wait_for_window 15
}

# Another window is mapped over part of the program's and taken away: what it hid is painted again.
expect_cover_repainted() {  # WHAT
  display -geometry 400x300+200+150 "$WORK/desktop.ppm[400x300+900+500]" >/dev/null 2>&1 &
  local cover=$!
  expect_screen_changed "$1: a window covers part of the screen" || fail "$1: the covering window never showed"
  kill "$cover"
  wait "$cover" 2>/dev/null
  expect_desktop_shown 0 "$1: after the covering window went"
}

# The pointer's look, through XFixes: "hidden" (empty or fully transparent), or "WxH+HOTX+HOTY".
cursor_state() {
  /usr/bin/python3 - <<'PY'
import ctypes, sys
try:
    x11 = ctypes.cdll.LoadLibrary('libX11.so.6')
    xfixes = ctypes.cdll.LoadLibrary('libXfixes.so.3')
except OSError:
    print('unknown'); sys.exit()
class CursorImage(ctypes.Structure):
    _fields_ = [('x', ctypes.c_short), ('y', ctypes.c_short), ('width', ctypes.c_ushort),
                ('height', ctypes.c_ushort), ('xhot', ctypes.c_ushort), ('yhot', ctypes.c_ushort),
                ('serial', ctypes.c_ulong), ('pixels', ctypes.POINTER(ctypes.c_ulong)),
                ('atom', ctypes.c_ulong), ('name', ctypes.c_char_p)]
x11.XOpenDisplay.restype = ctypes.c_void_p
xfixes.XFixesGetCursorImage.restype = ctypes.POINTER(CursorImage)
display = x11.XOpenDisplay(None)
image = xfixes.XFixesGetCursorImage(ctypes.c_void_p(display)).contents
opaque = any(image.pixels[i] & 0xFF000000 for i in range(image.width * image.height))
print('%dx%d+%d+%d' % (image.width, image.height, image.xhot, image.yhot) if opaque else 'hidden')
PY
}

expect_cursor() {  # hidden|shown WHAT: waits up to 5 s for it
  local state=""
  for _ in $(seq 25); do
    state=$(cursor_state)
    case "$1:$state" in
      *:unknown) echo "note: no XFixes to see the cursor; $2 not checked"; return 0 ;;
      hidden:hidden) echo "ok: $2 (cursor hidden)"; return 0 ;;
      shown:hidden | hidden:*) ;;
      shown:*) echo "ok: $2 (cursor $state)"; return 0 ;;
    esac
    sleep 0.2
  done
  fail "$2: the cursor is $state"
}

# --- The command line ----------------------------------------------------------------------------
# Help, version and bad arguments: their own text only, the exit code, no snapshot; WHERE says with
# which display. On a display, no window appears (the root's children are the same before and after).
expect_command_line() {  # WHERE
  local children="" arg expected status
  [ -n "${DISPLAY:-}" ] && children=$(xwininfo -root -children | grep -c '^ *0x')
  for arg in --help -h --version -V -hV --bogus -x stray; do
    case $arg in --bogus | -x | stray) expected=2 ;; *) expected=0 ;; esac
    rm -f "$SNAPSHOT"
    (cd /tmp && timeout 10 "$APP_DIR/mirthwick" "$arg") </dev/null >"$WORK/cl.out" 2>"$WORK/cl.err"
    status=$?
    [ "$status" = "$expected" ] || fail_case "$arg $1" "exit code $status, not $expected" "$WORK/cl.out" "$WORK/cl.err"
    [ -e "$SNAPSHOT" ] && fail_case "$arg $1" "a snapshot was written"
    case $arg in
      --help | -h | -hV)
        [ "$(head -n1 "$WORK/cl.out")" = "Usage: mirthwick [OPTION]..." ] && grep -q -- '--mute' "$WORK/cl.out" &&
          [ ! -s "$WORK/cl.err" ] || fail_case "$arg $1" "not the help alone" "$WORK/cl.out" "$WORK/cl.err" ;;
      --version | -V)
        [ "$(cat "$WORK/cl.out")" = "mirthwick 1.0.0" ] && [ ! -s "$WORK/cl.err" ] ||
          fail_case "$arg $1" "not the version alone" "$WORK/cl.out" "$WORK/cl.err" ;;
      *)
        local what="unknown option '$arg'"
        [ "$arg" = stray ] && what="unexpected argument 'stray'"
        printf "mirthwick: %s\nTry 'mirthwick --help'.\n" "$what" | cmp -s - "$WORK/cl.err" && [ ! -s "$WORK/cl.out" ] ||
          fail_case "$arg $1" "not the two lines on a bad argument" "$WORK/cl.out" "$WORK/cl.err" ;;
    esac
  done
  if [ -n "$children" ]; then
    [ "$(xwininfo -root -children | grep -c '^ *0x')" = "$children" ] || fail_case "window $1" "the root's children changed"
  fi
  [ "$FAILURES" = 0 ] || fail "the command line $1"
  echo "ok: --help, --version and bad arguments $1: their text, exit codes 0 and 2, no snapshot${children:+, no window}"
}
(unset DISPLAY WAYLAND_DISPLAY; expect_command_line "with no display") || exit 1
# With neither a display nor a runtime folder, standard error holds our one line and nothing else
# (libwayland would complain about XDG_RUNTIME_DIR first if SDL tried Wayland). The lock is then
# the user's shared one in /tmp, which another Mirthwick of this user may hold for a while.
for _ in $(seq 20); do
  (cd /tmp && env -u DISPLAY -u WAYLAND_DISPLAY -u XDG_RUNTIME_DIR "$APP_DIR/mirthwick") </dev/null >"$WORK/cl.out" \
    2>"$WORK/cl.err"
  status=$?
  [ "$(cat "$WORK/cl.err")" = "Mirthwick is already running." ] || break
  sleep 0.5
done
if [ "$(cat "$WORK/cl.err")" = "Mirthwick is already running." ]; then
  echo "note: another Mirthwick of this user holds /tmp/mirthwick-$(id -u)/mirthwick.lock; standard error without XDG_RUNTIME_DIR is not checked"
else
  [ "$status" = 1 ] && [ "$(cat "$WORK/cl.err")" = "Mirthwick: no screen to show on: neither DISPLAY nor WAYLAND_DISPLAY is set." ] ||
    { cat "$WORK/cl.err"; fail "with no display and no XDG_RUNTIME_DIR: exit code $status and the lines above"; }
  echo "ok: with no display and no XDG_RUNTIME_DIR, our one line on standard error and exit code 1"
fi

# --- Depth 24 --------------------------------------------------------------------------------
start_xvfb 24 || fail "Xvfb did not start"
paint_desktop
expect_command_line "on the X display"

# A stand-in for a window manager: the root names itself as the supporting window, so the program
# asks for full screen with a _NET_WM_STATE message to the root, which a listener writes down (it
# answers nothing, and windows map by themselves as before).
WM_PID=""
on_cleanup() { [ -n "$WM_PID" ] && kill "$WM_PID" 2>/dev/null; }
pretend_window_manager() {  # LOG: until stop_pretending
  /usr/bin/python3 - "$1" <<'PY' &
import ctypes, sys
x11 = ctypes.cdll.LoadLibrary('libX11.so.6')
x11.XOpenDisplay.restype = ctypes.c_void_p
x11.XDefaultRootWindow.restype = ctypes.c_ulong
x11.XDefaultRootWindow.argtypes = [ctypes.c_void_p]
x11.XInternAtom.restype = ctypes.c_ulong
x11.XInternAtom.argtypes = [ctypes.c_void_p, ctypes.c_char_p, ctypes.c_int]
x11.XChangeProperty.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_ulong, ctypes.c_ulong, ctypes.c_int,
                                ctypes.c_int, ctypes.c_void_p, ctypes.c_int]
x11.XSelectInput.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_long]
x11.XNextEvent.argtypes = [ctypes.c_void_p, ctypes.c_void_p]
x11.XSync.argtypes = [ctypes.c_void_p, ctypes.c_int]
class ClientMessage(ctypes.Structure):
    _fields_ = [('type', ctypes.c_int), ('serial', ctypes.c_ulong), ('send_event', ctypes.c_int),
                ('display', ctypes.c_void_p), ('window', ctypes.c_ulong), ('message_type', ctypes.c_ulong),
                ('format', ctypes.c_int), ('l', ctypes.c_long * 5)]
class Event(ctypes.Union):
    _fields_ = [('type', ctypes.c_int), ('client', ClientMessage), ('pad', ctypes.c_long * 24)]
display = x11.XOpenDisplay(None)
root = x11.XDefaultRootWindow(display)
atom = lambda name: x11.XInternAtom(display, name, 0)
check, state, fullscreen = atom(b'_NET_SUPPORTING_WM_CHECK'), atom(b'_NET_WM_STATE'), atom(b'_NET_WM_STATE_FULLSCREEN')
value = ctypes.c_ulong(root)
x11.XChangeProperty(display, root, check, 33, 32, 0, ctypes.byref(value), 1)  # XA_WINDOW, replace
x11.XSelectInput(display, root, 1 << 19)  # SubstructureNotifyMask: the messages sent to the root
x11.XSync(display, 0)
log = open(sys.argv[1], 'a', buffering=1)
log.write('ready\n')
event = Event()
while True:
    x11.XNextEvent(display, ctypes.byref(event))
    m = event.client
    if event.type == 33 and m.message_type == state and fullscreen in (m.l[1], m.l[2]):  # ClientMessage
        log.write('fullscreen %d\n' % m.l[0])  # 1 add, 0 remove
PY
  WM_PID=$!
  for _ in $(seq 50); do grep -q ready "$1" 2>/dev/null && return 0; sleep 0.1; done
  fail "the stand-in window manager did not start"
}
stop_pretending() {
  kill "$WM_PID" 2>/dev/null
  wait "$WM_PID" 2>/dev/null
  WM_PID=""
  xprop -root -remove _NET_SUPPORTING_WM_CHECK
}
asked_fullscreen() { sleep 1; [ "$(tail -n1 "$1" 2>/dev/null)" = "fullscreen 1" ]; }

pretend_window_manager "$WORK/wm-default.log"
start_app
asked_fullscreen "$WORK/wm-default.log" || fail "without --windowed the window did not ask for full screen"
quit_with_escape "Escape (full screen at start)"
stop_pretending
pretend_window_manager "$WORK/wm-windowed.log"
rm -f "$SNAPSHOT"
park_pointer
start_program /tmp env SDL_AUDIODRIVER=dummy "$APP_DIR/mirthwick" --windowed
wait_for_window 15 "--windowed"
asked_fullscreen "$WORK/wm-windowed.log" && fail "--windowed: the window asked for full screen"
expect_desktop_shown 0 "--windowed"
press F11
asked_fullscreen "$WORK/wm-windowed.log" || fail "--windowed: F11 did not ask for full screen"
quit_with_escape "Escape (--windowed)"
stop_pretending
echo "ok: --windowed starts windowed and F11 asks for full screen; without it the program starts full screen"

# --mute opens no sound device: SDL's disk driver would create its file on opening one. Without
# --mute the same run creates it and the hammer blow's samples reach it.
sound_run() {  # FILE [OPTION...]: starts, strikes with the hammer, quits
  local file=$1; shift
  rm -f "$SNAPSHOT" "$file"
  park_pointer
  start_program /tmp env SDL_AUDIODRIVER=disk SDL_DISKAUDIOFILE="$file" "$APP_DIR/mirthwick" "$@"
  wait_for_window 15 "sound ${*:-on}"
  click 1 500 340
  park_pointer
  expect_screen_changed "the hammer strikes (${*:-sound on})" || fail "the hammer blow left the desktop untouched"
  sleep 1
  quit_with_escape "Escape (${*:-sound on})"
}
sound_run "$WORK/sound-on.raw"
[ -n "$(tr -d '\000' <"$WORK/sound-on.raw" 2>/dev/null | head -c 64)" ] ||
  fail "without --mute the disk audio file holds no sound"
sound_run "$WORK/sound-muted.raw" --mute
[ -e "$WORK/sound-muted.raw" ] && fail "--mute: a sound device was opened ($(stat -c %s "$WORK/sound-muted.raw") bytes written)"
echo "ok: --mute opens no sound device while the hammer strikes; without it the blow is heard"
# Through ALSA (on a machine without a sound card it fails), standard error holds our lines only.
rm -f "$SNAPSHOT"
park_pointer
start_program /tmp env SDL_AUDIODRIVER=alsa "$APP_DIR/mirthwick"
wait_for_window 15 "ALSA"
quit_with_escape "Escape (ALSA)"
grep -v '^[Mm]irthwick' "$WORK/app.err" && fail "lines not of our own on standard error with ALSA (above)"
echo "ok: with ALSA, standard error holds our own lines only ($(wc -l <"$WORK/app.err") of them)"

start_app
expect_desktop_shown 0 "after start"
expect_window_covers_screen "full-screen"
expect_snapshot "$SNAPSHOT" 600
press F11
expect_desktop_shown 0 "windowed after F11"
expect_window_covers_screen "windowed"
press F11
expect_desktop_shown 0 "full-screen after a second F11"
expect_cover_repainted "window surface"
# The right button opens and closes the menu, which shows the menu cursor meanwhile; a hammer
# blow damages the desktop and Enter restores it.
expect_cursor hidden "menu closed"
click 3 300 300
expect_cursor shown "menu open"
click 3 400 320
expect_cursor hidden "menu closed again"
click 1 500 340
park_pointer
expect_screen_changed "a hammer blow cracks the desktop" || fail "a hammer blow left the desktop untouched"
xdotool keydown Return  # held until the desktop is whole again, however slow the frames
expect_desktop_shown 0 "after a hammer blow and Enter"
xdotool keyup Return
# A soldier taken from the panel (the green sword soldier's picture) and placed on the desktop.
click 3 300 300
click 1 $((W - 500 + 270)) $(((H - 600) / 2 + 270))
expect_cursor hidden "a soldier taken from the panel closes it"
click 1 400 400
park_pointer
expect_screen_changed "a soldier placed on the desktop" || fail "no soldier was placed on the desktop"
quit_with_escape "Escape"

start_app
"$BUILD/mirthwick-x11-close" Mirthwick || fail "could not ask the window to close"
expect_exit 10 "closing the window"

start_app
xdotool search --name '^Mirthwick$' windowclose
expect_exit 10 "destroying the window from another client"

start_app
kill -TERM "$APP_PID"
expect_exit 10 "SIGTERM"

# The same pictures through the OpenGL renderer, the choice where a GPU draws.
start_app MIRTHWICK_PRESENT=renderer
expect_desktop_shown 0 "renderer: after start"
press F11
expect_desktop_shown 0 "renderer: windowed after F11"
press F11
expect_desktop_shown 0 "renderer: full-screen after a second F11"
expect_cover_repainted "renderer"
quit_with_escape "renderer: Escape"
stop_xserver

# --- Depth 30: ten bits a channel ------------------------------------------------------------
if start_xvfb 30; then
  # The screenshot tool rounds ten-bit channels, so one step either way is the same colour.
  paint_desktop 1
  start_app
  expect_snapshot "$SNAPSHOT" 600
  expect_desktop_shown 1 "at depth 30"
  quit_with_escape "Escape at depth 30"
  stop_xserver
else
  echo "note: this Xvfb has no depth 30; that run is left out"
fi
echo "PASS"
