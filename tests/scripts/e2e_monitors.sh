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

source "$(dirname "$0")/lib/e2e.sh"
[ -x "$BUILD/mirthwick" ] || skip "the desktop program was not built"
require_tools Xorg xrandr xdotool xwininfo import convert display /usr/bin/python3
ls /usr/lib/xorg/modules/drivers/dummy_drv.so >/dev/null 2>&1 || skip "Xorg's dummy video driver is missing"

e2e_begin
APP_DIR=$WORK/app
copy_program "$BUILD/mirthwick" "$APP_DIR"
SNAPSHOT=$APP_DIR/Files/Img/1.bmp
own_runtime_folder

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
XSERVER_PID=$!
wait_for_display ||
  skip "Xorg with the dummy driver did not start ($(grep -m1 '(EE)' "$WORK/xorg.log" 2>/dev/null))"
xrandr --addmode DUMMY1 1024x768 && xrandr --output DUMMY1 --mode 1024x768 --right-of DUMMY0 ||
  skip "xrandr could not add a second monitor"
# Until a client asks for the monitor list once, SDL's query of the server's current outputs still
# misses the new one.
xrandr --listmonitors >/dev/null
[ "$(xwininfo -root | awk '/Width:/ {w=$NF} /Height:/ {h=$NF} END {print w "x" h}')" = ${W}x$H ] ||
  fail "the root window is not ${W}x$H after adding the second monitor"

make_desktop 'x' 'y' '(x >> 8) * 29 + (y >> 8) * 71 + (x ^ y)'
paint_desktop

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
  start_program /tmp env SDL_AUDIODRIVER=dummy "$APP_DIR/mirthwick"
  wait_for_window 15 "$name"
  local geometry shown=""
  for _ in $(seq 30); do
    geometry=$(window_geometry)
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
  expect_snapshot "$SNAPSHOT" 600 "$x" "$y" "$w" "$h"
  quit_with_escape "$name: Escape"
}

run_on second 1280 0 1024 768 0 0 1280 720
run_on first 0 0 1280 720 1280 0 1024 768
echo "PASS"
