#!/usr/bin/env bash
# End to end on a real X server (Xvfb): the desktop program photographs a known desktop, shows it
# pixel for pixel, writes the snapshot file, switches presentation with F11, quits on Escape, and
# ends with exit code 0 when its window is closed or destroyed. Once at depth 24, once at 30.
# Usage: e2e_desktop.sh BUILD_DIR SOURCE_DIR
set -uo pipefail
BUILD=$(cd "${1:?build dir}" && pwd)
W=1280 H=720
# Compared pictures leave out the top rows, where the statistics text goes, and the bottom row:
# the tool in hand is drawn with its top-left corner at the mouse, which waits in the bottom-right
# corner pixel.
TOP=40
ROWS=$((H - TOP - 1))

skip() { echo "SKIP: $*"; exit 0; }
[ -x "$BUILD/mirthwick" ] || skip "the desktop program was not built"
for tool in Xvfb xdotool xwininfo import convert display /usr/bin/python3; do
  command -v "$tool" >/dev/null 2>&1 || skip "$tool is missing (./dev test installs it)"
done

WORK=$(mktemp -d)
XVFB_PID="" APP_PID=""
cleanup() {
  [ -n "$APP_PID" ] && kill "$APP_PID" 2>/dev/null
  [ -n "$XVFB_PID" ] && kill "$XVFB_PID" 2>/dev/null
  wait 2>/dev/null
  rm -rf "$WORK"
}
trap cleanup EXIT
trap 'exit 1' INT TERM HUP

fail() {
  echo "FAIL: $*"
  [ -s "$WORK/app.err" ] && { echo "--- program stderr"; cat "$WORK/app.err"; }
  exit 1
}

# A private copy of the program beside its own Files/ tree: other tests running meanwhile write
# build/Files/Img/1.bmp too, and the program must find Files/ beside itself from any folder.
APP_DIR=$WORK/app
mkdir -p "$APP_DIR"
cp "$BUILD/mirthwick" "$APP_DIR/"
cp -r "$BUILD/Files" "$APP_DIR/"
rm -f "$APP_DIR/Files/Img/1.bmp"
SNAPSHOT=$APP_DIR/Files/Img/1.bmp
# A runtime folder of its own: the one-instance lock there is not shared with tests running meanwhile.
export XDG_RUNTIME_DIR=$WORK/run
mkdir -m 700 "$XDG_RUNTIME_DIR"

# The desktop picture: every pixel's red, green and blue from its position, so a shifted, swapped
# or scaled picture cannot match by chance.
/usr/bin/python3 - "$WORK/desktop.ppm" $W $H <<'PY'
import sys
path, w, h = sys.argv[1], int(sys.argv[2]), int(sys.argv[3])
rows = bytearray()
for y in range(h):
    for x in range(w):
        rows += bytes((x & 255, y & 255, (((x >> 8) * 40 + (y >> 8) * 17) ^ (x * 3 + y)) & 255))
open(path, 'wb').write(b'P6\n%d %d\n255\n' % (w, h) + rows)
PY
convert "$WORK/desktop.ppm" -crop ${W}x$ROWS+0+$TOP +repage -depth 8 "rgb:$WORK/desktop.rgb"

start_xvfb() {  # DEPTH: a server on a display number it picks itself, kept across client exits
  local depth=$1
  : >"$WORK/display"
  Xvfb -displayfd 3 -screen 0 ${W}x${H}x$depth -nolisten tcp -noreset 3>"$WORK/display" 2>"$WORK/xvfb.log" &
  XVFB_PID=$!
  for _ in $(seq 100); do
    [ -s "$WORK/display" ] && break
    kill -0 "$XVFB_PID" 2>/dev/null || { XVFB_PID=""; return 1; }
    sleep 0.1
  done
  [ -s "$WORK/display" ] || return 1
  export DISPLAY=":$(head -n1 "$WORK/display")"
}

stop_xvfb() {
  kill "$XVFB_PID" 2>/dev/null
  wait "$XVFB_PID" 2>/dev/null
  XVFB_PID=""
}

park_pointer() { xdotool mousemove $((W - 1)) $((H - 1)); sleep 0.2; }

start_app() {  # from another folder, as a user would
  rm -f "$SNAPSHOT"
  park_pointer
  (cd /tmp && SDL_AUDIODRIVER=dummy exec "$APP_DIR/mirthwick") >"$WORK/app.out" 2>"$WORK/app.err" &
  APP_PID=$!
  for _ in $(seq 150); do
    xdotool search --onlyvisible --name '^Mirthwick$' >/dev/null 2>&1 && return 0
    kill -0 "$APP_PID" 2>/dev/null || fail "the program ended before showing its window"
    sleep 0.1
  done
  fail "no Mirthwick window was mapped within 15 s"
}

expect_exit() {  # SECONDS WHAT: the program ends within SECONDS with exit code 0
  for _ in $(seq $(($1 * 10))); do
    kill -0 "$APP_PID" 2>/dev/null || break
    sleep 0.1
  done
  kill -0 "$APP_PID" 2>/dev/null && fail "$2: still running after $1 s"
  wait "$APP_PID"
  local rc=$?
  APP_PID=""
  [ "$rc" -eq 0 ] || fail "$2: exit code $rc"
  echo "ok: $2 ends the program with exit code 0"
}

press() {  # held across a few frames: a key whose press and release both arrive between two
           # frames is never seen by a frame, as with any polling loop
  xdotool keydown "$1"; sleep 0.3; xdotool keyup "$1"; sleep 0.2
}

click() {  # BUTTON X Y, held across a few frames as a hand would
  xdotool mousemove "$2" "$3"; sleep 0.1
  xdotool mousedown "$1"; sleep 0.3; xdotool mouseup "$1"; sleep 0.2
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

quit_with_escape() {  # WHAT: Escape held down until the program has ended, however slow its frames
  xdotool keydown Escape
  expect_exit 10 "$1"
  xdotool keyup Escape
}

# Differences between the screen and the desktop picture, below the top rows:
# "COUNT MAXDIFF" over colour bytes.
screen_difference() {
  import -window root "$WORK/shot.png" 2>/dev/null || { echo "999999999 255"; return; }
  convert "$WORK/shot.png" -crop ${W}x$ROWS+0+$TOP +repage -depth 8 "rgb:$WORK/shot.rgb"
  /usr/bin/python3 - "$WORK/desktop.rgb" "$WORK/shot.rgb" <<'PY'
import sys
a, b = open(sys.argv[1], 'rb').read(), open(sys.argv[2], 'rb').read()
if len(a) != len(b):
    print(999999999, 255)
else:
    diffs = [abs(x - y) for x, y in zip(a, b) if x != y]
    print(len(diffs), max(diffs, default=0))
PY
}

# The screen shows the desktop picture: exactly (TOLERANCE 0), or within TOLERANCE per channel
# where the screenshot tool itself rounds (depth 30). Waits up to 10 s for the first frames.
expect_desktop_shown() {  # TOLERANCE WHAT
  local result=""
  for _ in $(seq 30); do
    result=$(screen_difference)
    set -- "$1" "$2" $result
    { [ "$3" -eq 0 ] || [ "$4" -le "$1" ]; } && { echo "ok: $2 (screen matches the desktop picture)"; return 0; }
    sleep 0.3
  done
  fail "$2: the screen differs from the desktop picture in $3 colour values (largest difference $4)"
}

expect_desktop_damaged() {  # WHAT: waits up to 5 s for the screen to differ from the desktop
  for _ in $(seq 15); do
    set -- "$1" $(screen_difference)
    [ "$2" -gt 0 ] && { echo "ok: $1 (the screen differs in $2 colour values)"; return 0; }
    sleep 0.3
  done
  fail "$1: the screen still shows the untouched desktop"
}

expect_window_covers_screen() {
  local info
  info=$(xwininfo -name Mirthwick 2>/dev/null)
  local x y w h
  x=$(awk '/Absolute upper-left X/ {print $NF}' <<<"$info")
  y=$(awk '/Absolute upper-left Y/ {print $NF}' <<<"$info")
  w=$(awk '/Width:/ {print $NF}' <<<"$info")
  h=$(awk '/Height:/ {print $NF}' <<<"$info")
  [ "$x $y $w $h" = "0 0 $W $H" ] || fail "$1: the window is at $x,$y sized ${w}x$h, not covering the screen"
}

# Header, size and permissions of the snapshot file, and every pixel against the picture.
expect_snapshot() {
  [ -f "$SNAPSHOT" ] || fail "no snapshot file beside the program"
  local mode
  mode=$(stat -c %a "$SNAPSHOT")
  [ "$mode" = 600 ] || fail "snapshot permissions are $mode, not 600"
  /usr/bin/python3 - "$SNAPSHOT" "$WORK/desktop.ppm" $W $H <<'PY' || fail "snapshot file"
import struct, sys
path, picture, w, h = sys.argv[1], sys.argv[2], int(sys.argv[3]), int(sys.argv[4])
d = open(path, 'rb').read()
problems = []
if d[:2] != b'BM': problems.append('type %r' % d[:2])
size, offset, info = struct.unpack('<I4xII', d[2:18])
width, height, planes, bits, compression, image = struct.unpack('<iiHHII', d[18:38])
if offset != 54 or info != 40: problems.append('offset %d, header %d' % (offset, info))
if (width, height, bits, compression) != (w, h, 32, 0):
    problems.append('%dx%d at %d bits, compression %d' % (width, height, bits, compression))
if size != 54 + w * h * 4 or len(d) != size or image != w * h * 4:
    problems.append('file size field %d, image size %d, file %d bytes' % (size, image, len(d)))
if not problems:
    ppm = open(picture, 'rb').read()
    pixels = ppm[ppm.index(b'255\n') + 4:]
    wrong = 0
    for y in range(h):
        row = d[54 + (h - 1 - y) * w * 4: 54 + (h - y) * w * 4]  # bottom row first
        want = pixels[y * w * 3:(y + 1) * w * 3]
        if bytes(row[i * 4 + 2 - c] for i in range(w) for c in range(3)) != want:
            wrong += 1
    if wrong: problems.append('%d rows differ from the desktop' % wrong)
if problems:
    print('snapshot: ' + '; '.join(problems))
    sys.exit(1)
PY
  echo "ok: snapshot file: BM header, ${W}x$H at 32 bits, 54 + w*h*4 bytes, mode 600, the desktop's pixels"
}

paint_desktop() {
  display -window root "$WORK/desktop.ppm" >/dev/null 2>&1  # its exit status says nothing useful
}

# --- Depth 24 --------------------------------------------------------------------------------
start_xvfb 24 || fail "Xvfb did not start"
paint_desktop
[ "$(screen_difference)" = "0 0" ] || fail "could not paint the root window with the desktop picture"

start_app
expect_desktop_shown 0 "after start"
expect_window_covers_screen "full-screen"
expect_snapshot
press F11
expect_desktop_shown 0 "windowed after F11"
expect_window_covers_screen "windowed"
press F11
expect_desktop_shown 0 "full-screen after a second F11"
# The right button opens and closes the menu, which shows the menu cursor meanwhile; a hammer
# blow damages the desktop and Enter restores it.
expect_cursor hidden "menu closed"
click 3 300 300
expect_cursor shown "menu open"
click 3 400 320
expect_cursor hidden "menu closed again"
click 1 500 340
park_pointer
expect_desktop_damaged "a hammer blow cracks the desktop"
xdotool keydown Return  # held until the desktop is whole again, however slow the frames
expect_desktop_shown 0 "after a hammer blow and Enter"
xdotool keyup Return
# A soldier taken from the panel (the green sword soldier's picture) and placed on the desktop.
click 3 300 300
click 1 $((W - 500 + 270)) $(((H - 600) / 2 + 270))
expect_cursor hidden "a soldier taken from the panel closes it"
click 1 400 400
park_pointer
expect_desktop_damaged "a soldier placed on the desktop"
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
stop_xvfb

# --- Depth 30: ten bits a channel ------------------------------------------------------------
if start_xvfb 30; then
  paint_desktop
  start_app
  expect_snapshot
  # The screenshot tool rounds ten-bit channels, so one step either way is the same colour.
  expect_desktop_shown 1 "at depth 30"
  quit_with_escape "Escape at depth 30"
  stop_xvfb
else
  echo "note: this Xvfb has no depth 30; that run is left out"
fi
echo "PASS"
