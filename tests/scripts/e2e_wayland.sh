#!/usr/bin/env bash
# End to end on Wayland: sway's headless backend with a known wallpaper, a private session bus with
# pipewire and the screenshot portal (xdg-desktop-portal, -wlr, -gtk). The desktop program runs as
# a Wayland client and its screen, taken with grim, must match the wallpaper pixel for pixel: at
# scale 1, at scale 2 (one frame pixel per physical pixel), and with two outputs, where it covers
# exactly one; F11 there and back; through the program's own buffers, through the renderer, and
# through the renderer when the program's own buffers fail.
# Then without a portal, on XWayland: a black desktop with the reason on standard error
# and on the screen. sway refuses to run as root, so as root the test runs as a throwaway user.
# MW_SHOTS=FOLDER keeps the screenshots; MW_WRAP="gdb -batch -ex run -ex bt --args" wraps the program.
# Usage: e2e_wayland.sh BUILD_DIR SOURCE_DIR
set -uo pipefail
SELF=$(readlink -f "$0")
source "$(dirname "$SELF")/lib/e2e.sh"

# --- As root: a throwaway user runs the rest ----------------------------------------------------
if [ -z "${MW_WORK:-}" ]; then
  BUILD=$(cd "${1:?build dir}" && pwd)
  SOURCE=$(cd "${2:?source dir}" && pwd)
  [ -x "$BUILD/mirthwick" ] || skip "the desktop program was not built"
  require_tools sway swaybg grim wtype dbus-run-session pipewire convert /usr/bin/python3 \
    /usr/libexec/xdg-desktop-portal /usr/libexec/xdg-desktop-portal-wlr /usr/libexec/xdg-desktop-portal-gtk
  RUN_AS=() USER_MADE=""
  on_cleanup() {
    # The portal's fixed file, should a failed run have left it, would stop every later portal.
    [ -n "$USER_MADE" ] && [ "$(stat -c %U /tmp/out.png 2>/dev/null)" = "$USER_MADE" ] && rm -f /tmp/out.png
    [ -n "$USER_MADE" ] && userdel "$USER_MADE" >/dev/null 2>&1
  }
  e2e_begin
  chmod 755 "$WORK"
  copy_program "$BUILD/mirthwick" "$WORK/app"
  if [ "$(id -u)" -eq 0 ]; then
    USER_MADE="mwway$$"
    useradd --no-create-home --home-dir "$WORK/home" --shell /bin/bash "$USER_MADE" >/dev/null 2>&1 ||
      skip "could not make a throwaway user for sway (which refuses root)"
    RUN_AS=(runuser -u "$USER_MADE" --)
  fi
  mkdir -p "$WORK/home" "$WORK/run"
  chmod 700 "$WORK/run"
  [ -n "$USER_MADE" ] && chown -R "$USER_MADE:" "$WORK"
  "${RUN_AS[@]}" env -i PATH="$PATH" HOME="$WORK/home" LANG=C.UTF-8 MW_WORK="$WORK" MW_SOURCE="$SOURCE" MW_WRAP="${MW_WRAP:-}" MW_SHOTS="${MW_SHOTS:-}" \
    XDG_RUNTIME_DIR="$WORK/run" bash "$SELF"
  exit $?
fi

# --- As the user ---------------------------------------------------------------------------------
e2e_begin "$MW_WORK"
APP=$WORK/app/mirthwick
W=1280 H=720
PIDS=()
on_cleanup() { for pid in "${PIDS[@]}"; do kill "$pid" 2>/dev/null; done; }
on_fail() {
  [ -s "$WORK/app.out" ] && { echo "--- program stdout"; tail -n 40 "$WORK/app.out"; }
  [ -s "$WORK/sway.log" ] && { echo "--- sway log (end)"; tail -n 15 "$WORK/sway.log"; }
  [ -s "$WORK/portal.log" ] && { echo "--- portal log (end)"; tail -n 15 "$WORK/portal.log"; }
  return 0
}

# Two wallpapers: every pixel's colour from its position (shifted for the second), so a shifted,
# swapped or scaled picture cannot match by chance.
picture() {  # FILE SEED
  make_picture "$WORK/$1.ppm" $W $H "x + $2" "y * 3 + $2" "((x >> 8) * 40 + (y >> 8) * 17) ^ (x * 3 + y + $2)" &&
    convert "$WORK/$1.ppm" "$WORK/$1.png" || fail "could not write the wallpaper $1"
}
picture wall1 0
picture wall2 97

# A session of its own for each case: bus, pipewire, sway, portals.
# run_case NAME OUTPUTS PORTAL(yes|no) SWAY_CONFIG_LINES...
start_session() {  # OUTPUTS PORTAL CONFIG
  local outputs=$1 portal=$2 config=$3
  rm -f "$WORK"/run/wayland-* "$WORK/sway.env"
  printf '%s\nexec sh -c "echo \\$DISPLAY > %s/sway.env"\n' "$config" "$WORK" >"$WORK/sway.conf"
  WLR_BACKENDS=headless WLR_LIBINPUT_NO_DEVICES=1 WLR_RENDERER=pixman WLR_HEADLESS_OUTPUTS=$outputs \
    sway -c "$WORK/sway.conf" >"$WORK/sway.log" 2>&1 &
  PIDS+=($!)
  local socket=""
  for _ in $(seq 100); do
    socket=$(cd "$WORK/run" && ls wayland-? 2>/dev/null | head -n1)
    [ -n "$socket" ] && [ -s "$WORK/sway.env" ] && break
    sleep 0.1
  done
  [ -n "$socket" ] || fail "sway did not start"
  export WAYLAND_DISPLAY=$socket XDG_CURRENT_DESKTOP=sway XDG_SESSION_TYPE=wayland
  export SWAY_DISPLAY
  SWAY_DISPLAY=$(cat "$WORK/sway.env" 2>/dev/null)
  if [ "$portal" = yes ]; then
    dbus-update-activation-environment WAYLAND_DISPLAY XDG_CURRENT_DESKTOP XDG_SESSION_TYPE XDG_RUNTIME_DIR \
      >/dev/null 2>&1
    pipewire >"$WORK/pipewire.log" 2>&1 &
    PIDS+=($!)
    sleep 0.3
    /usr/libexec/xdg-desktop-portal-wlr >"$WORK/portal.log" 2>&1 &
    PIDS+=($!)
    /usr/libexec/xdg-desktop-portal-gtk >>"$WORK/portal.log" 2>&1 &
    PIDS+=($!)
    /usr/libexec/xdg-desktop-portal -r >>"$WORK/portal.log" 2>&1 &
    PIDS+=($!)
    for _ in $(seq 50); do
      dbus-send --session --print-reply --dest=org.freedesktop.portal.Desktop /org/freedesktop/portal/desktop \
        org.freedesktop.DBus.Properties.Get string:org.freedesktop.portal.Screenshot string:version \
        >/dev/null 2>&1 && break
      sleep 0.2
    done
  fi
  sleep 1  # the wallpaper is drawn by swaybg, a moment after sway starts
}

start_app() {  # [ENV...]: the program as a Wayland client, from another folder
  rm -f "$WORK/app/Files/Img/1.bmp"
  # Without the start hint, which the black-screen checks would take for a stray drawing.
  start_program /tmp env "$@" SDL_AUDIODRIVER=dummy ${MW_WRAP:-} "$APP" --no-hint
  # The window appears after the photograph; keys sent in its first half second may be lost.
  for _ in $(seq 100); do
    [ -f "$WORK/app/Files/Img/1.bmp" ] && break
    kill -0 "$APP_PID" 2>/dev/null || fail "the program ended at start"
    sleep 0.1
  done
  sleep 1.5
  kill -0 "$APP_PID" 2>/dev/null || fail "the program ended at start"
}

# Escape held across frames. The headless seat has no keyboard until wtype makes a virtual one,
# and SDL 2.26 may crash on a key that arrives in the keyboard's first moments: wtype waits first.
wtype_escape() {  # WHAT: Escape ends the program with exit code 0
  for _ in $(seq 5); do
    wtype -s 800 -P Escape -s 400 -p Escape 2>/dev/null
    for _ in $(seq 20); do
      kill -0 "$APP_PID" 2>/dev/null || break 2
      sleep 0.1
    done
  done
  expect_exit 1 "$1: Escape"
}

stop_session() {
  for pid in "${PIDS[@]}"; do kill "$pid" 2>/dev/null; done
  wait 2>/dev/null
  PIDS=()
}

# Compares a screenshot with a picture (both scaled to W x H when needed), leaving out the top rows
# (statistics text) and the top-left square where the hammer waits at the mouse's first position
# (the headless seat has no pointer). Prints "COUNT MAXDIFF" over colour bytes.
difference() {  # SHOT PICTURE
  convert "$1" -depth 8 "rgb:$WORK/a.rgb" && convert "$2" -depth 8 "rgb:$WORK/b.rgb" || { echo "999999999 255"; return; }
  /usr/bin/python3 - "$WORK/a.rgb" "$WORK/b.rgb" $W $H <<'PY'
import sys
a, b = open(sys.argv[1], 'rb').read(), open(sys.argv[2], 'rb').read()
w, h = int(sys.argv[3]), int(sys.argv[4])
if len(a) != len(b) or len(a) != w * h * 3:
    print(999999999, 255); sys.exit()
count = worst = 0
for y in range(40, h):
    x0 = 256 if y < 256 else 0
    ra, rb = a[(y * w + x0) * 3:(y + 1) * w * 3], b[(y * w + x0) * 3:(y + 1) * w * 3]
    if ra != rb:
        d = [abs(p - q) for p, q in zip(ra, rb) if p != q]
        count += len(d); worst = max(worst, max(d))
print(count, worst)
PY
}

keep_shot() {  # FILE NAME: kept for a person to look at when MW_SHOTS names a folder
  [ -n "${MW_SHOTS:-}" ] && cp "$1" "$MW_SHOTS/wayland-$2.png" 2>/dev/null
  return 0
}

# The program's window, as sway sees it: full-screen on OUTPUT, covering it (MODE 0: windowed).
expect_window_on() {  # OUTPUT WHAT [MODE]
  local where mode=${3:-1}
  where=$(swaymsg -s "$(ls "$XDG_RUNTIME_DIR"/sway-ipc.*.sock | head -n1)" -t get_tree -r 2>/dev/null |
    /usr/bin/python3 -c '
import json, sys
def walk(node, output):
    if node.get("type") == "output": output = node.get("name")
    if node.get("name") == "Mirthwick" and node.get("type") in ("con", "floating_con"):
        r = node["rect"]
        print(output, node.get("fullscreen_mode"), r["x"], r["y"], r["width"], r["height"])
    for child in node.get("nodes", []) + node.get("floating_nodes", []): walk(child, output)
walk(json.load(sys.stdin), None)')
  [ "${where%% *}" = "$1" ] && [ "$(cut -d" " -f2 <<<"$where")" = "$mode" ] ||
    fail "$2: the window is not $([ "$mode" = 1 ] || echo "un")full-screen on $1 (sway says: ${where:-no window})"
  echo "ok: $2: one $([ "$mode" = 1 ] || echo "windowed, not ")full-screen window on $1 ($where)"
}

expect_shows() {  # OUTPUT PICTURE WHAT NAME: grim's shot of OUTPUT equals PICTURE (within 10 s)
  local result="" shot=$WORK/shot-$1.png
  for _ in $(seq 20); do
    grim -o "$1" "$shot" 2>/dev/null
    result=$(difference "$shot" "$2")
    # The photo, under the statistics along the top edge: the program's own frames are shown.
    if [ "${result%% *}" = 0 ] && [ "$(convert "$shot" -crop ${W}x40+0+0 -depth 8 rgb:- | md5sum)" != \
        "$(convert "$2" -crop ${W}x40+0+0 -depth 8 rgb:- | md5sum)" ]; then
      keep_shot "$shot" "$4"
      echo "ok: $3 (output $1 matches $(basename "$2") pixel for pixel)"
      return 0
    fi
    sleep 0.5
  done
  keep_shot "$shot" "$4-failed"
  [ "${result%% *}" = 0 ] && fail "$3: no statistics text on output $1: the program's frame is not shown"
  fail "$3: output $1 differs from $(basename "$2") in ${result% *} colour values (largest ${result#* })"
}

expect_size() {  # W H: the snapshot's size
  local size
  size=$(/usr/bin/python3 -c "import struct,sys; d=open(sys.argv[1],'rb').read(26); print(*struct.unpack('<ii', d[18:26]))" \
    "$WORK/app/Files/Img/1.bmp" 2>/dev/null)
  [ "$size" = "$1 $2" ] || fail "the snapshot is $size, not $1 $2"
}

# --- A private session bus with the screenshot portal ---------------------------------------
if [ -z "${MW_IN_SESSION:-}" ]; then
  export MW_IN_SESSION=1
  dbus-run-session -- bash "$SELF" || exit $?
  # Without a portal at all: a bus on which no service can be started.
  cat >"$WORK/bare-bus.conf" <<EOF
<!DOCTYPE busconfig PUBLIC "-//freedesktop//DTD D-Bus Bus Configuration 1.0//EN"
 "http://www.freedesktop.org/standards/dbus/1.0/busconfig.dtd">
<busconfig><type>session</type><listen>unix:tmpdir=$WORK</listen><auth>EXTERNAL</auth>
<policy context="default"><allow send_destination="*" eavesdrop="true"/><allow eavesdrop="true"/><allow own="*"/></policy>
</busconfig>
EOF
  MW_IN_SESSION=bare dbus-run-session --config-file="$WORK/bare-bus.conf" -- bash "$SELF" || exit $?
  echo "PASS"
  exit 0
fi

if [ "$MW_IN_SESSION" = 1 ]; then
  # xdg-desktop-portal-wlr always writes /tmp/out.png; another user's file there stops it.
  [ -e /tmp/out.png ] && [ ! -O /tmp/out.png ] && skip "/tmp/out.png belongs to another user; the portal cannot write"
  # Scale 1: the screen shows the wallpaper exactly; the snapshot is the output's size.
  start_session 1 yes "output HEADLESS-1 resolution ${W}x$H position 0 0 bg $WORK/wall1.png center
xwayland disable"
  grim -o HEADLESS-1 "$WORK/before.png" || fail "grim could not take a screenshot"
  [ "$(difference "$WORK/before.png" "$WORK/wall1.png")" = "0 0" ] || fail "sway does not show the wallpaper exactly"
  start_app MIRTHWICK_TIMING=1
  grep -q "cannot photograph" "$WORK/app.err" && fail "the portal capture failed"
  grep -q "presenting through its own Wayland buffers" "$WORK/app.err" ||
    fail "scale 1: the program does not present through its own Wayland buffers"
  expect_shows HEADLESS-1 "$WORK/wall1.png" "scale 1" scale1
  expect_window_on HEADLESS-1 "scale 1"
  expect_size $W $H
  [ -e /tmp/out.png ] && [ "$(stat -c %U /tmp/out.png)" = "$(id -un)" ] && fail "the portal's picture was left behind"
  # F11 there and back: windowed (sway tiles it over the output) and full-screen again, the frame
  # shown whole after each change of size and state.
  wtype -s 300 -P F11 -s 300 -p F11 2>/dev/null
  sleep 1
  expect_window_on HEADLESS-1 "F11, windowed" 0
  expect_shows HEADLESS-1 "$WORK/wall1.png" "F11, windowed" f11-windowed
  wtype -s 300 -P F11 -s 300 -p F11 2>/dev/null
  sleep 1
  expect_window_on HEADLESS-1 "F11 again"
  expect_shows HEADLESS-1 "$WORK/wall1.png" "F11 again, full-screen" f11-back
  wtype_escape "scale 1"
  # The renderer's path, kept for when the program's own buffers fail, shows the same.
  start_app MIRTHWICK_PRESENT=renderer
  expect_shows HEADLESS-1 "$WORK/wall1.png" "through the renderer" renderer
  wtype_escape "through the renderer"
  # The program's own buffers failing (their shared memory refused, by name): one line on standard
  # error, and the renderer takes over with the same picture.
  if command -v cc >/dev/null; then
    printf '%s\n' '#define _GNU_SOURCE' '#include <errno.h>' '#include <string.h>' '#include <sys/syscall.h>' \
      '#include <unistd.h>' 'int memfd_create(const char* name, unsigned flags) {' \
      '  if (strcmp(name, "mirthwick-frame") == 0) { errno = ENOMEM; return -1; }' \
      '  return (int)syscall(SYS_memfd_create, name, flags);' '}' >"$WORK/no_frame_memory.c"
    cc -shared -fPIC -o "$WORK/no_frame_memory.so" "$WORK/no_frame_memory.c" || fail "could not build the memfd shim"
    start_app LD_PRELOAD="$WORK/no_frame_memory.so"
    expect_shows HEADLESS-1 "$WORK/wall1.png" "own buffers failing, the renderer instead" buffers-failed
    [ "$(grep -c "its Wayland buffers failed (memfd_create: .*); presenting through a renderer" "$WORK/app.err")" = 1 ] ||
      fail "own buffers failing: not one line on standard error saying so"
    wtype_escape "own buffers failing"
  else
    echo "skipped: own buffers failing (no C compiler for the shim)"
  fi
  stop_session

  # Scale 2: a 1280 x 720 output of 640 x 360 desktop units; the frame has every physical pixel.
  start_session 1 yes "output HEADLESS-1 resolution ${W}x$H position 0 0 scale 2 bg $WORK/wall1.png center
xwayland disable"
  grim -o HEADLESS-1 "$WORK/before2.png"
  start_app
  expect_shows HEADLESS-1 "$WORK/before2.png" "scale 2" scale2
  expect_window_on HEADLESS-1 "scale 2"
  # A hammer blow at (320, 180) in desktop units lands at (640, 360) in frame pixels: the crack is
  # stamped there (its middle 20 right and 25 below the mouse). The pointer then waits in the
  # bottom-right corner, where the hammer is drawn off the screen.
  python3 "$MW_SOURCE/tests/scripts/wl_pointer.py" 640 360 move 320 180 sleep 0.4 press sleep 0.4 release \
    sleep 0.3 move 639 359 sleep 0.5 || fail "scale 2: the virtual pointer did not work"
  grim -o HEADLESS-1 "$WORK/struck.png"
  keep_shot "$WORK/struck.png" scale2-struck
  convert "$WORK/struck.png" -depth 8 "rgb:$WORK/a.rgb" && convert "$WORK/before2.png" -depth 8 "rgb:$WORK/b.rgb"
  /usr/bin/python3 - "$WORK/a.rgb" "$WORK/b.rgb" $W $H <<'PY' || fail "scale 2: the blow did not land under the pointer"
import sys
a, b, w, h = open(sys.argv[1], 'rb').read(), open(sys.argv[2], 'rb').read(), int(sys.argv[3]), int(sys.argv[4])
xs, ys = [], []
for y in range(40, h - 12):
    row = (y * w) * 3
    for x in range(w - 12):
        if a[row + x * 3:row + x * 3 + 3] != b[row + x * 3:row + x * 3 + 3]:
            xs.append(x); ys.append(y)
if not xs:
    print('no crack on the screen'); sys.exit(1)
cx, cy = (min(xs) + max(xs)) // 2, (min(ys) + max(ys)) // 2
print('crack from (%d, %d) to (%d, %d), its middle at (%d, %d)' % (min(xs), min(ys), max(xs), max(ys), cx, cy))
sys.exit(0 if abs(cx - 660) <= 40 and abs(cy - 385) <= 40 else 1)
PY
  echo "ok: scale 2: a click lands where the pointer is"
  expect_size $W $H
  wtype_escape "scale 2"
  stop_session

  # Two outputs: the program covers the first, the second keeps its wallpaper.
  start_session 2 yes "output HEADLESS-1 resolution ${W}x$H position 0 0 bg $WORK/wall1.png center
output HEADLESS-2 resolution ${W}x$H position $W 0 bg $WORK/wall2.png center
xwayland disable"
  grim -o HEADLESS-2 "$WORK/second.png"
  [ "$(difference "$WORK/second.png" "$WORK/wall2.png")" = "0 0" ] || fail "sway does not show the second wallpaper"
  start_app
  expect_shows HEADLESS-1 "$WORK/wall1.png" "two outputs, the first covered" two-outputs-1
  expect_window_on HEADLESS-1 "two outputs"
  expect_size $W $H
  grim -o HEADLESS-2 "$WORK/second.png"
  keep_shot "$WORK/second.png" two-outputs-2
  [ "$(convert "$WORK/second.png" -depth 8 rgb:- | md5sum)" = "$(convert "$WORK/wall2.png" -depth 8 rgb:- | md5sum)" ] ||
    fail "two outputs: the second output does not show its own wallpaper untouched"
  echo "ok: two outputs, the second untouched"
  wtype_escape "two outputs"
  stop_session
  exit 0
fi

# --- No portal: XWayland reads black, so the desktop is black and the screen says why ----------
start_session 1 no "output HEADLESS-1 resolution ${W}x$H position 0 0 bg $WORK/wall1.png center
xwayland enable"
[ -n "$SWAY_DISPLAY" ] || skip "sway started no XWayland"
expect_black_with_reason() {  # WHAT REASON NAME
  grep -q "cannot photograph the desktop: .*$2" "$WORK/app.err" ||
    fail "$1: standard error does not name the reason \"$2\""
  grim -o HEADLESS-1 "$WORK/black.png"
  keep_shot "$WORK/black.png" "$3"
  # Black but for the notice and the tool in hand, below the statistics.
  black_with_notice "$WORK/black.png" 40 || fail "$1: the screen is not black with the notice in the middle"
  echo "ok: $1: black, the reason on standard error and on the screen"
}
start_app DISPLAY="$SWAY_DISPLAY"
expect_black_with_reason "Wayland client, no portal" "no screenshot portal" no-portal
wtype_escape "no portal"
# The same as an X11 client of XWayland: its root reads black, so it is not taken for the desktop.
start_app -u WAYLAND_DISPLAY -u XDG_SESSION_TYPE DISPLAY="$SWAY_DISPLAY"
expect_black_with_reason "XWayland client, no portal" "XWayland" xwayland-no-portal
wtype_escape "XWayland client"
stop_session
exit 0
