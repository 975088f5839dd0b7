#!/usr/bin/env bash
# End to end on Xvfb: what a new user meets. The start hint shows in the first second and is gone
# after six; F12 saves the frame into the XDG_PICTURES_DIR of a private user-dirs.dirs, once per
# press, under a new name each time, and the picture is the screen pixel for pixel; a missing
# folder and a full one (a tiny tmpfs, when this user may mount one) are reported in one line
# each and the program runs on.
# Usage: e2e_first_contact.sh BUILD_DIR SOURCE_DIR
set -uo pipefail
BUILD=$(cd "${1:?build dir}" && pwd)
W=1280 H=720
TOP=40

source "$(dirname "$0")/lib/e2e.sh"
[ -x "$BUILD/mirthwick" ] || skip "the desktop program was not built"
require_tools Xvfb xdotool import convert display /usr/bin/python3

e2e_begin
FULL=""
on_cleanup() { [ -n "$FULL" ] && umount "$FULL" 2>/dev/null; }
APP_DIR=$WORK/app
copy_program "$BUILD/mirthwick" "$APP_DIR"
own_runtime_folder
make_desktop 'x * 5 + y' 'y * 3' '(x ^ y) * 7'

export HOME=$WORK/home XDG_CONFIG_HOME=$WORK/config
SHOTS=$HOME/Shots
mkdir -p "$SHOTS" "$XDG_CONFIG_HOME"
pictures_dir() { printf 'XDG_PICTURES_DIR="%s"\n' "$1" >"$XDG_CONFIG_HOME/user-dirs.dirs"; }
pictures_dir '$HOME/Shots'

# The hint's band: pixels of its dark grey (0x181818) in the rows near the bottom centre.
band_pixels() {
  import -window root "$WORK/band.png" 2>/dev/null || { echo 0; return; }
  convert "$WORK/band.png" -crop "$((W / 2))x60+$((W / 4))+$((H - 115))" -depth 8 rgb:- 2>/dev/null |
    /usr/bin/python3 -c 'import sys; b = sys.stdin.buffer.read(); print(sum(1 for i in range(0, len(b), 3) if b[i:i + 3] == b"\x18\x18\x18"))'
}

# Pixels of two pictures of the screen's size that differ, outside rows FROM..TO (none by default).
differing_pixels() {  # A B [FROM TO]
  convert "$1" -depth 8 "rgb:$WORK/a.rgb" && convert "$2" -depth 8 "rgb:$WORK/b.rgb" || { echo 999999999; return; }
  /usr/bin/python3 - "$WORK/a.rgb" "$WORK/b.rgb" "$W" "${3:--1}" "${4:--1}" <<'PY'
import sys
a, b = open(sys.argv[1], 'rb').read(), open(sys.argv[2], 'rb').read()
w, lo, hi = int(sys.argv[3]), int(sys.argv[4]), int(sys.argv[5])
if len(a) != len(b):
    print(999999999)
else:
    print(sum(1 for i in range(0, len(a), 3) if not lo <= i // 3 // w <= hi and a[i:i + 3] != b[i:i + 3]))
PY
}

start_xvfb 24 || fail "Xvfb did not start"
paint_desktop
park_pointer
start_program /tmp env SDL_AUDIODRIVER=dummy "$APP_DIR/mirthwick"
wait_for_window 15
started=$(date +%s%3N)  # milliseconds

# --- The hint ------------------------------------------------------------------------------------
seen=0
for _ in $(seq 10); do
  n=$(band_pixels)
  elapsed=$(($(date +%s%3N) - started))
  if [ "$n" -gt 2000 ] && [ "$elapsed" -lt 1000 ]; then seen=1; break; fi
  [ "$elapsed" -ge 1000 ] && break
  sleep 0.1
done
[ "$seen" = 1 ] || fail "the start hint was not on the screen within the first second"
echo "ok: the start hint shows in the first second ($n band pixels)"
left=$((6000 - ($(date +%s%3N) - started)))
[ "$left" -gt 0 ] && sleep "$((left / 1000)).$(printf '%03d' $((left % 1000)))"
[ "$(band_pixels)" -lt 50 ] || fail "the start hint is still on the screen after 6 s"
expect_desktop_shown 0 "after the hint has gone"

# --- F12 -----------------------------------------------------------------------------------------
import -window root "$WORK/before-save.png"
press F12 1.0
for _ in $(seq 50); do
  [ "$(ls "$SHOTS" | wc -l)" -ge 1 ] && break
  sleep 0.1
done
sleep 0.5
mapfile -t saved < <(ls "$SHOTS")
[ "${#saved[@]}" -eq 1 ] || fail "F12 held for a second left ${#saved[@]} files in the pictures folder: ${saved[*]}"
case "${saved[0]}" in
  Mirthwick\ [0-9][0-9][0-9][0-9]-[0-9][0-9]-[0-9][0-9]\ [0-9][0-9]-[0-9][0-9]-[0-9][0-9].png) ;;
  *) fail "the saved picture is named '${saved[0]}'" ;;
esac
grep -q "^mirthwick: picture saved as $SHOTS/${saved[0]}\$" "$WORK/app.err" ||
  fail "no line on standard error says where the picture went"
echo "ok: F12 held for a second saved one picture: ${saved[0]}"
# The screen now carries the notice of where it went; the rest of it is the picture, and once the
# notice is gone, all of it is.
[ "$(differing_pixels "$SHOTS/${saved[0]}" "$WORK/before-save.png")" -eq 0 ] ||
  fail "the saved picture differs from the screen before the press"
import -window root "$WORK/notice.png"
[ "$(differing_pixels "$SHOTS/${saved[0]}" "$WORK/notice.png" $((H - 165)) $((H - 115)))" -eq 0 ] ||
  fail "the saved picture differs from the screen outside the notice"
sleep 4.5
import -window root "$WORK/after-notice.png"
[ "$(differing_pixels "$SHOTS/${saved[0]}" "$WORK/after-notice.png")" -eq 0 ] ||
  fail "the saved picture differs from a screenshot of the screen"
echo "ok: the saved picture is the screen pixel for pixel"

press F12
press F12
sleep 0.5
count=$(ls "$SHOTS" | wc -l)
[ "$count" -eq 3 ] || fail "three presses left $count files: $(ls "$SHOTS" | tr '\n' ' ')"
ls -a "$SHOTS" | grep -q '\.png\.' && fail "a temporary was left in the pictures folder"
echo "ok: each press saves a new file, none overwritten"

# --- Failures ------------------------------------------------------------------------------------
pictures_dir '$HOME/Gone'
press F12
sleep 0.5
grep -q "^mirthwick: picture not saved in $HOME/Gone: " "$WORK/app.err" || fail "a missing folder was not reported"
[ -e "$HOME/Gone" ] && fail "the missing folder was made"
echo "ok: a missing folder is reported: $(grep 'not saved' "$WORK/app.err" | tail -n1)"

if [ "$(id -u)" -eq 0 ] && mkdir -p "$WORK/full" && mount -t tmpfs -o size=64k tmpfs "$WORK/full" 2>/dev/null; then
  FULL=$WORK/full
  dd if=/dev/zero of="$FULL/filler" bs=4k count=64 2>/dev/null
  pictures_dir "$FULL"
  press F12
  sleep 0.5
  grep -q "^mirthwick: picture not saved in $FULL: No space left on device" "$WORK/app.err" ||
    fail "a full folder was not reported: $(tail -n1 "$WORK/app.err")"
  [ "$(ls -A "$FULL")" = filler ] || fail "a full folder was left with: $(ls -A "$FULL" | tr '\n' ' ')"
  echo "ok: a full folder is reported and left as it was"
else
  echo "note: no tiny tmpfs can be mounted here (not root?); the full-folder case is left to the unit test"
fi
kill -0 "$APP_PID" 2>/dev/null || fail "the program ended after a failed save"
quit_with_escape "Escape after the saves"
