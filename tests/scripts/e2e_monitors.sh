#!/usr/bin/env bash
# Two monitors on X11: Xorg with the dummy video driver, a second output added with xrandr beside
# the first (Xvfb cannot make two monitors). The desktop program covers the monitor under the
# pointer, shows exactly its part of the desktop, photographs only that part and leaves the other
# monitor alone; once with the pointer on each monitor.
# Usage: e2e_monitors.sh BUILD_DIR SOURCE_DIR
set -uo pipefail
BUILD=$(cd "${1:?build dir}" && pwd)
# The layout: DUMMY0 1280 x 720 at (0, 0), DUMMY1 1024 x 768 at (1280, 0); the root is 2304 x 768.
W=2304 H=768
TOP=40

skip() { echo "SKIP: $*"; exit 77; }
[ -x "$BUILD/mirthwick" ] || skip "the desktop program was not built"
for tool in Xorg xrandr xdotool xwininfo import convert display /usr/bin/python3; do
  command -v "$tool" >/dev/null 2>&1 || skip "$tool is missing (./dev test installs it)"
done
ls /usr/lib/xorg/modules/drivers/dummy_drv.so >/dev/null 2>&1 || skip "Xorg's dummy video driver is missing"

WORK=$(mktemp -d)
XORG_PID="" APP_PID=""
cleanup() {
  [ -n "$APP_PID" ] && kill "$APP_PID" 2>/dev/null
  [ -n "$XORG_PID" ] && kill "$XORG_PID" 2>/dev/null
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

APP_DIR=$WORK/app
mkdir -p "$APP_DIR"
cp "$BUILD/mirthwick" "$APP_DIR/"
cp -r "$BUILD/Files" "$APP_DIR/"
SNAPSHOT=$APP_DIR/Files/Img/1.bmp
# A runtime folder of its own: the one-instance lock there is not shared with tests running meanwhile.
export XDG_RUNTIME_DIR=$WORK/run
mkdir -m 700 "$XDG_RUNTIME_DIR"

cat >"$WORK/xorg.conf" <<'CONF'
Section "ServerFlags"
  Option "AutoAddDevices" "false"
  Option "AutoAddGPU" "false"
EndSection
Section "Device"
  Identifier "dummy"
  Driver "dummy"
  VideoRam 64000
EndSection
Section "Monitor"
  Identifier "monitor"
  HorizSync 5.0-1000.0
  VertRefresh 5.0-200.0
EndSection
Section "Screen"
  Identifier "screen"
  Device "dummy"
  Monitor "monitor"
  DefaultDepth 24
  SubSection "Display"
    Depth 24
    Modes "1280x720"
    Virtual 2304 768
  EndSubSection
EndSection
CONF
: >"$WORK/display"
Xorg -displayfd 3 -config "$WORK/xorg.conf" -noreset -nolisten tcp -logfile "$WORK/xorg.log" \
  3>"$WORK/display" >/dev/null 2>&1 &
XORG_PID=$!
for _ in $(seq 100); do
  [ -s "$WORK/display" ] && break
  kill -0 "$XORG_PID" 2>/dev/null || break
  sleep 0.1
done
[ -s "$WORK/display" ] || skip "Xorg with the dummy driver did not start ($(grep -m1 '(EE)' "$WORK/xorg.log" 2>/dev/null))"
export DISPLAY=":$(head -n1 "$WORK/display")"
xrandr --addmode DUMMY1 1024x768 && xrandr --output DUMMY1 --mode 1024x768 --right-of DUMMY0 ||
  skip "xrandr could not add a second monitor"
# Until a client asks for the monitor list once, SDL's query of the server's current outputs still
# misses the new one.
xrandr --listmonitors >/dev/null
[ "$(xwininfo -root | awk '/Width:/ {w=$NF} /Height:/ {h=$NF} END {print w "x" h}')" = ${W}x$H ] ||
  fail "the root window is not ${W}x$H after adding the second monitor"

/usr/bin/python3 - "$WORK/desktop.ppm" $W $H <<'PY'
import sys
path, w, h = sys.argv[1], int(sys.argv[2]), int(sys.argv[3])
rows = bytearray()
for y in range(h):
    for x in range(w):
        rows += bytes((x & 255, y & 255, ((x >> 8) * 29 + (y >> 8) * 71 + (x ^ y)) & 255))
open(path, 'wb').write(b'P6\n%d %d\n255\n' % (w, h) + rows)
PY
display -window root "$WORK/desktop.ppm" >/dev/null 2>&1

# Bytes of a rectangle of the desktop picture or of the screen, leaving out the top rows (statistics)
# and the bottom row (the tool in hand waits at the pointer in the bottom-right corner).
region() {  # PICTURE X Y WIDTH HEIGHT
  convert "$1" -crop "$4x$(($5 - TOP - 1))+$2+$(($3 + TOP))" +repage -depth 8 rgb:- | md5sum
}
whole() {  # PICTURE X Y WIDTH HEIGHT
  convert "$1" -crop "$4x$5+$2+$3" +repage -depth 8 rgb:- | md5sum
}

run_on() {  # NAME X Y WIDTH HEIGHT OTHER_X OTHER_Y OTHER_WIDTH OTHER_HEIGHT
  local name=$1 x=$2 y=$3 w=$4 h=$5
  xdotool mousemove $((x + w - 1)) $((y + h - 1))
  sleep 0.2
  rm -f "$SNAPSHOT"
  (cd /tmp && SDL_AUDIODRIVER=dummy exec "$APP_DIR/mirthwick") >"$WORK/app.out" 2>"$WORK/app.err" &
  APP_PID=$!
  for _ in $(seq 150); do
    xdotool search --onlyvisible --name '^Mirthwick$' >/dev/null 2>&1 && break
    kill -0 "$APP_PID" 2>/dev/null || fail "$name: the program ended before showing its window"
    sleep 0.1
  done
  local info geometry shown=""
  for _ in $(seq 30); do
    info=$(xwininfo -name Mirthwick 2>/dev/null)
    geometry=$(awk '/Absolute upper-left X/ {x=$NF} /Absolute upper-left Y/ {y=$NF} /Width:/ {w=$NF}
      /Height:/ {h=$NF} END {print x, y, w, h}' <<<"$info")
    import -window root "$WORK/shot.png" 2>/dev/null
    if [ "$geometry" = "$x $y $w $h" ] &&
       [ "$(region "$WORK/shot.png" "$x" "$y" "$w" "$h")" = "$(region "$WORK/desktop.ppm" "$x" "$y" "$w" "$h")" ] &&
       [ "$(whole "$WORK/shot.png" "$x" "$y" "$w" $TOP)" != "$(whole "$WORK/desktop.ppm" "$x" "$y" "$w" $TOP)" ]; then
      shown=yes
      break
    fi
    sleep 0.3
  done
  [ -n "${MW_SHOTS:-}" ] && cp "$WORK/shot.png" "$MW_SHOTS/monitors-$name.png"
  [ "$geometry" = "$x $y $w $h" ] || fail "$name: the window is at $geometry, not covering $x $y $w $h"
  [ -n "$shown" ] || fail "$name: the monitor does not show its part of the desktop under the program's statistics"
  echo "ok: $name: the window covers ${w}x$h+$x+$y and shows exactly that part of the desktop"
  [ "$(whole "$WORK/shot.png" "$6" "$7" "$8" "$9")" = "$(whole "$WORK/desktop.ppm" "$6" "$7" "$8" "$9")" ] ||
    fail "$name: the other monitor does not show the desktop untouched"
  echo "ok: $name: the other monitor is untouched"
  /usr/bin/python3 - "$SNAPSHOT" "$WORK/desktop.ppm" "$x" "$y" "$w" "$h" $W <<'PY' || fail "$name: snapshot"
import struct, sys
path, picture = sys.argv[1], sys.argv[2]
x0, y0, w, h, full = map(int, sys.argv[3:8])
d = open(path, 'rb').read()
width, height = struct.unpack('<ii', d[18:26])
if (width, height) != (w, h):
    print('snapshot is %dx%d, not %dx%d' % (width, height, w, h)); sys.exit(1)
ppm = open(picture, 'rb').read()
pixels = ppm[ppm.index(b'255\n') + 4:]
for y in range(h):
    row = d[54 + (h - 1 - y) * w * 4: 54 + (h - y) * w * 4]
    want = pixels[((y0 + y) * full + x0) * 3:((y0 + y) * full + x0 + w) * 3]
    if bytes(row[i * 4 + 2 - c] for i in range(w) for c in range(3)) != want:
        print('snapshot row %d differs from the desktop' % y); sys.exit(1)
PY
  echo "ok: $name: the snapshot is that monitor's ${w}x$h, pixel for pixel"
  xdotool keydown Escape
  for _ in $(seq 100); do
    kill -0 "$APP_PID" 2>/dev/null || break
    sleep 0.1
  done
  xdotool keyup Escape
  kill -0 "$APP_PID" 2>/dev/null && fail "$name: Escape did not end the program"
  wait "$APP_PID" || fail "$name: nonzero exit code"
  APP_PID=""
}

run_on second 1280 0 1024 768 0 0 1280 720
run_on first 0 0 1280 720 1280 0 1024 768
echo "PASS"
