#!/usr/bin/env bash
# Every answer the screenshot portal can give, end to end: the program (on SDL's offscreen driver,
# with WAYLAND_DISPLAY set so that it asks the portal and, with no X display, has nothing else to
# photograph) against a stand-in portal (lib/fake_portal.py) on a private session bus. One row per
# answer: a picture, or a black desktop with the reason on standard error; either way exit code 0
# on SIGTERM, nothing deleted but the portal's own picture, and no picture left behind.
# Usage: e2e_portal_answers.sh BUILD_DIR SOURCE_DIR
set -uo pipefail
SELF=$(readlink -f "$0")
source "$(dirname "$SELF")/lib/e2e.sh"

if [ -z "${MW_WORK:-}" ]; then
  BUILD=$(cd "${1:?build dir}" && pwd)
  [ -x "$BUILD/mirthwick" ] || skip "the desktop program was not built"
  require_tools dbus-run-session dbus-send convert /usr/bin/python3
  /usr/bin/python3 -c 'import dbus, gi' 2>/dev/null || skip "python3-dbus or python3-gi is missing (./dev test installs them)"
  e2e_begin
  copy_program "$BUILD/mirthwick" "$WORK/app"
  MW_WORK=$WORK timeout 300 dbus-run-session -- bash "$SELF"
  exit $?
fi

# --- On the private session bus ------------------------------------------------------------------
e2e_begin "$MW_WORK"
own_runtime_folder
W=1024 H=768  # the offscreen driver's display
P=$WORK/portal  # where the stand-in portal's pictures are
mkdir -p "$P"
PORTAL_PID=""
on_cleanup() { [ -n "$PORTAL_PID" ] && kill "$PORTAL_PID" 2>/dev/null; }

make_desktop "x * 5 + (y >> 3)" "y * 3 + x" "(x ^ y) + (x >> 4)"
convert "$WORK/desktop.ppm" "$WORK/desktop.png" || fail "could not write the portal's picture"
# Not the portal's: must outlive every case.
cp "$WORK/desktop.png" "$WORK/precious.png"
PRECIOUS=$(md5sum <"$WORK/precious.png")

: >"$WORK/case"
/usr/bin/python3 "$(dirname "$SELF")/lib/fake_portal.py" "$WORK/case" "$WORK/portal.log" 2>"$WORK/portal.err" &
PORTAL_PID=$!
for _ in $(seq 50); do
  grep -q ready "$WORK/portal.log" 2>/dev/null && break
  sleep 0.1
done
dbus-send --session --print-reply --dest=org.freedesktop.portal.Desktop /org/freedesktop/portal/desktop \
  org.freedesktop.DBus.Properties.Get string:org.freedesktop.portal.Screenshot string:version >/dev/null 2>&1 ||
  fail "the stand-in portal did not start: $(tail -n 3 "$WORK/portal.err")"

uri() { /usr/bin/python3 -c 'import sys, urllib.parse; print("file://" + urllib.parse.quote(sys.argv[1]))' "$1"; }
bomb() {  # FILE: a small PNG whose header declares 32768 x 16384 RGBA pixels
  /usr/bin/python3 - "$1" <<'PY'
import struct, sys, zlib
def chunk(kind, data):
    return struct.pack('>I', len(data)) + kind + data + struct.pack('>I', zlib.crc32(kind + data))
ihdr = struct.pack('>IIBBBBB', 32768, 16384, 8, 6, 0, 0, 0)
data = zlib.compress(b'\0' * (1 << 20), 9)
open(sys.argv[1], 'wb').write(b'\x89PNG\r\n\x1a\n' + chunk(b'IHDR', ihdr) + chunk(b'IDAT', data) + chunk(b'IEND', b''))
PY
}

# The answers: NAME | how the portal's file is made | the answer | what the program must say
# (PICTURE: the desktop picture is shown, no reason given).
UNICODE="$P/Bildschirmfoto vom 7. Dez – ä€ (1).png"
CASES=(
  "a PNG|cp '$WORK/desktop.png' '$P/shot.png'|0 file://$P/shot.png|PICTURE"
  "a file URI with spaces and non-ASCII characters|cp '$WORK/desktop.png' '$UNICODE'|0 $(uri "$UNICODE")|PICTURE"
  "cancelled (response 1)|:|1|the screenshot was cancelled"
  "ended otherwise (response 2)|:|2|the screenshot portal refused (permission denied or cancelled)"
  "no answer in time|:|silent|the screenshot portal did not answer within 1 s"
  "a missing file|:|0 file://$P/gone.png|the screenshot portal's picture is missing"
  "an empty file|: >'$P/empty.png'|0 file://$P/empty.png|the screenshot portal's picture could not be read"
  "not a PNG|echo 'not a picture' >'$P/text.png'|0 file://$P/text.png|the screenshot portal's picture could not be read"
  "a PNG bomb (32768 x 16384 declared)|bomb '$P/bomb.png'|0 file://$P/bomb.png|the screenshot portal's picture could not be read"
  "a link to another picture|ln -s '$WORK/precious.png' '$P/link.png'|0 file://$P/link.png|the screenshot portal's picture is a link, not a plain file"
  "a FIFO|mkfifo '$P/fifo.png'|0 file://$P/fifo.png|the screenshot portal's picture is not a plain file"
  "a file over the size limit|truncate -s 268435457 '$P/huge.png'|0 file://$P/huge.png|the screenshot portal's picture is larger than 256 MB"
  "a URI that is not a file|:|0 https://example.org/shot.png|the screenshot portal gave no file"
)

expect_black() {  # the snapshot: W x H, every pixel black
  /usr/bin/python3 - "$WORK/app/Files/Img/1.bmp" $W $H <<'PY'
import struct, sys
d, w, h = open(sys.argv[1], 'rb').read(), int(sys.argv[2]), int(sys.argv[3])
size = struct.unpack('<ii', d[18:26])
pixels = d[54:]
sys.exit(0 if size == (w, h) and len(pixels) == w * h * 4 and not any(pixels[i] | pixels[i + 1] | pixels[i + 2]
         for i in range(0, len(pixels), 4)) else 1)
PY
}

files() {  # every file of the work folder but the program's and the test's own
  find "$WORK" -path "$WORK/app" -prune -o -path "$WORK/run" -prune -o -print |
    grep -v -e '/app\.[a-z]*$' -e '/case$' -e '/portal\.log$' -e '/check\.out$' | sort
}

for row in "${CASES[@]}"; do
  IFS='|' read -r name setup answer expected <<<"$row"
  before=$(files)
  APP_PID=""
  eval "$setup" || { fail_case "$name" "could not make the portal's file"; continue; }
  echo "$answer" >"$WORK/case"
  : >"$WORK/portal.log"
  rm -f "$WORK/app/Files/Img/1.bmp"
  start_program "$WORK" env -u DISPLAY WAYLAND_DISPLAY=mw-portal-answers SDL_VIDEODRIVER=offscreen \
    SDL_AUDIODRIVER=dummy MIRTHWICK_PORTAL_TIMEOUT=1 "$WORK/app/mirthwick"
  for _ in $(seq 100); do
    [ -f "$WORK/app/Files/Img/1.bmp" ] && break
    kill -0 "$APP_PID" 2>/dev/null || break
    sleep 0.1
  done
  kill -TERM "$APP_PID" 2>/dev/null
  ended "$APP_PID" 10
  problem=""
  if [ "$STATUS" = running ]; then
    problem="still running 10 s after SIGTERM"
    kill -KILL "$APP_PID" 2>/dev/null
    wait "$APP_PID" 2>/dev/null
  elif [ "$STATUS" -ne 0 ]; then
    problem="exit code $STATUS"
  elif ! grep -q . "$WORK/portal.log"; then
    problem="the program never asked the portal"
  elif [ "$expected" = PICTURE ]; then
    if grep -q "cannot photograph" "$WORK/app.err"; then
      problem="the picture was refused"
    elif ! (expect_snapshot "$WORK/app/Files/Img/1.bmp" >"$WORK/check.out" 2>&1); then
      problem="the desktop shown is not the portal's picture: $(tail -n 1 "$WORK/check.out")"
    fi
  elif ! grep -qxF "Mirthwick: cannot photograph the desktop: $expected; it shows black." "$WORK/app.err"; then
    problem="standard error does not say \"$expected\""
  elif ! expect_black; then
    problem="the desktop shown is not black"
  fi
  [ "$answer" = silent ] && [ -z "$problem" ] && ! grep -q '^closed ' "$WORK/portal.log" &&
    problem="the unanswered request was not withdrawn"
  [ "$(md5sum <"$WORK/precious.png")" = "$PRECIOUS" ] || problem="${problem:+$problem; }another picture was changed"
  [ "$(md5sum <"$WORK/desktop.png")" = "$(md5sum <"$WORK/precious.png")" ] || problem="${problem:+$problem; }the desktop picture was changed"
  # Nothing is left behind but what is not a file (the FIFO), and nothing else goes.
  rm -f "$P/fifo.png"
  after=$(files)
  [ "$after" = "$before" ] || problem="${problem:+$problem; }files before and after differ: $(diff <(echo "$before") <(echo "$after") | grep '^[<>]' | tr '\n' ' ')"
  if [ -n "$problem" ]; then
    fail_case "$name" "$problem" "$WORK/app.err"
  else
    [ "$expected" = PICTURE ] && expected="the portal's picture shown"
    echo "ok: $name: $expected; exit code 0; no file left, none lost"
  fi
done
finish_cases
