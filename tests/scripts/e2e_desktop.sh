#!/usr/bin/env bash
# End to end on a real X server (Xvfb): the desktop program photographs a known desktop, shows it
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
require_tools Xvfb xdotool xwininfo import convert display /usr/bin/python3

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

# --- Depth 24 --------------------------------------------------------------------------------
start_xvfb 24 || fail "Xvfb did not start"
paint_desktop

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
