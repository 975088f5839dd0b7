# Helpers shared by the end-to-end test scripts: skipping, failing, a private work folder cleaned
# up on exit, a private copy of the program, Xvfb, pointer and keys held across frames, waiting for
# the program to end, and comparing the screen and the snapshot file with a known desktop picture.
# Sourced, not run: it lives outside tests/scripts/*.sh, which ctest runs one by one.
#
# Globals a script sets before using the screen helpers: W and H (the screen's size) and TOP (rows
# along the top edge left out of comparisons, where the statistics text goes). The helpers keep
# their files in $WORK and set APP_PID, XSERVER_PID, WINDOW and STATUS.
# Hooks a script may define: on_cleanup (run on exit after the program is stopped, before the X
# server is), on_fail (run by fail after the program's standard error is shown).

# ctest takes exit code 77 as a skip (SKIP_RETURN_CODE) for every script test.
E2E_SKIP=77
skip() { echo "SKIP: $*"; exit $E2E_SKIP; }

require_tools() {  # TOOL...: skips, naming the first that is missing
  local tool
  for tool in "$@"; do
    command -v "$tool" >/dev/null 2>&1 || skip "$tool is missing (./dev test installs it)"
  done
}

APP_PID="" XSERVER_PID="" WINDOW="" STATUS="" WORK="" E2E_OWN_WORK="" FAILURES=0

e2e_cleanup() {
  [ -n "$APP_PID" ] && kill "$APP_PID" 2>/dev/null
  declare -F on_cleanup >/dev/null && on_cleanup
  [ -n "$XSERVER_PID" ] && kill "$XSERVER_PID" 2>/dev/null
  wait 2>/dev/null
  [ -n "$E2E_OWN_WORK" ] && rm -rf "$WORK"
}

e2e_begin() {  # [FOLDER]: the work folder $WORK, FOLDER or a new one removed on exit; cleanup on exit
  WORK=${1:-}
  if [ -z "$WORK" ]; then
    WORK=$(mktemp -d)
    E2E_OWN_WORK=1
  fi
  trap e2e_cleanup EXIT
  trap 'exit 1' INT TERM HUP
}

show_program_stderr() {  # the program's standard error, less ALSA's chatter, at most 60 lines
  [ -s "$WORK/app.err" ] || return 0
  echo "--- program stderr"
  grep -v '^ALSA lib' "$WORK/app.err" | head -n 60
}

fail() {  # WHY: the test fails here
  echo "FAIL: $*"
  show_program_stderr
  declare -F on_fail >/dev/null && on_fail
  exit 1
}

# Scripts that try many cases record each failure and go on, then end with finish_cases.
fail_case() {  # NAME WHY [STDERR_FILE...]
  echo "FAIL ($1): $2"
  local file
  for file in "${@:3}"; do
    [ -f "$file" ] && sed "s|^|  $(basename "$file"): |" "$file"
  done
  FAILURES=$((FAILURES + 1))
}
finish_cases() { exit $((FAILURES > 0)); }

# A private copy of the program beside its own Files/ tree, without a snapshot: other tests running
# meanwhile write the build's Files/Img/1.bmp too, and the program must find Files/ beside itself.
copy_program() {  # PROGRAM FOLDER
  mkdir -p "$2"
  cp "$1" "$2/"
  cp -r "$(dirname "$1")/Files" "$2/"
  rm -f "$2/Files/Img/1.bmp"
}

own_runtime_folder() {  # a runtime folder of its own: the one-instance lock is not shared
  export XDG_RUNTIME_DIR=$WORK/run
  mkdir -p -m 700 "$XDG_RUNTIME_DIR"
}

# --- The X server ------------------------------------------------------------------------------
start_xvfb() {  # [DEPTH]: a W x H server on a display number it picks itself, kept across client exits
  : >"$WORK/display"
  Xvfb -displayfd 3 -screen 0 "${W}x${H}x${1:-24}" -nolisten tcp -noreset 3>"$WORK/display" 2>"$WORK/xvfb.log" &
  XSERVER_PID=$!
  wait_for_display
}

wait_for_display() {  # after starting XSERVER_PID: exports DISPLAY, or returns 1 when it never came
  for _ in $(seq 100); do
    [ -s "$WORK/display" ] && break
    kill -0 "$XSERVER_PID" 2>/dev/null || break
    sleep 0.1
  done
  if ! [ -s "$WORK/display" ]; then
    kill "$XSERVER_PID" 2>/dev/null
    wait "$XSERVER_PID" 2>/dev/null
    XSERVER_PID=""
    return 1
  fi
  export DISPLAY=":$(head -n1 "$WORK/display")"
}

stop_xserver() {
  kill "$XSERVER_PID" 2>/dev/null
  wait "$XSERVER_PID" 2>/dev/null
  XSERVER_PID=""
}

# --- The program -------------------------------------------------------------------------------
start_program() {  # FOLDER COMMAND...: from FOLDER, as a user would, its output in $WORK/app.*
  local folder=$1; shift
  (cd "$folder" && exec "$@") </dev/null >"$WORK/app.out" 2>"$WORK/app.err" &
  APP_PID=$!
}

wait_for_window() {  # SECONDS [WHAT]: until a Mirthwick window is shown; sets WINDOW
  local what=${2:+$2: }
  for _ in $(seq $(($1 * 10))); do
    WINDOW=$(xdotool search --onlyvisible --name '^Mirthwick$' 2>/dev/null | head -n1)
    [ -n "$WINDOW" ] && return 0
    kill -0 "$APP_PID" 2>/dev/null || fail "${what}the program ended before showing its window"
    sleep 0.1
  done
  fail "${what}no Mirthwick window was mapped within $1 s"
}

ended() {  # PID SECONDS: waits for PID to end; STATUS is its exit status, or "running"
  STATUS=running
  for _ in $(seq $(($2 * 10))); do
    if ! kill -0 "$1" 2>/dev/null; then
      wait "$1"
      STATUS=$?
      return
    fi
    sleep 0.1
  done
}

expect_exit() {  # SECONDS WHAT: the program ends within SECONDS with exit code 0
  ended "$APP_PID" "$1"
  [ "$STATUS" = running ] && fail "$2: still running after $1 s"
  APP_PID=""
  [ "$STATUS" -eq 0 ] || fail "$2: exit code $STATUS"
  echo "ok: $2 ends the program with exit code 0"
}

escape_until_ended() {  # PID SECONDS: Escape held down until PID has ended, however slow its frames
  xdotool keydown Escape
  ended "$1" "$2"
  xdotool keyup Escape
}

quit_with_escape() {  # WHAT: Escape ends the program within 10 s with exit code 0
  xdotool keydown Escape
  expect_exit 10 "$1"
  xdotool keyup Escape
}

# --- Pointer and keys, held across a few frames as a hand does: a press and release that both
# --- arrive between two frames are never seen by a frame, as with any polling loop -------------
park_pointer() { xdotool mousemove $((W - 1)) $((H - 1)); sleep 0.2; }

press() {  # KEY [HOLD_SECONDS]
  xdotool keydown "$1"; sleep "${2:-0.3}"; xdotool keyup "$1"; sleep 0.3
}

click() {  # BUTTON X Y
  xdotool mousemove "$2" "$3"; sleep 0.2
  xdotool mousedown "$1"; sleep 0.3; xdotool mouseup "$1"; sleep 0.3
}

# --- The desktop picture and the screen --------------------------------------------------------
# A P6 picture whose every pixel's red, green and blue come from its position (Python expressions
# of x and y, each taken modulo 256), so that a shifted, swapped or scaled picture cannot match by
# chance.
make_picture() {  # FILE WIDTH HEIGHT RED GREEN BLUE
  /usr/bin/python3 - "$@" <<'PY'
import sys
path, w, h = sys.argv[1], int(sys.argv[2]), int(sys.argv[3])
loop = ('rows = bytearray()\nfor y in range(h):\n    for x in range(w):\n'
        '        rows += bytes(((%s) & 255, (%s) & 255, (%s) & 255))\n' % tuple(sys.argv[4:7]))
names = {'w': w, 'h': h}
exec(compile(loop, 'picture', 'exec'), names)
open(path, 'wb').write(b'P6\n%d %d\n255\n' % (w, h) + names['rows'])
PY
}

# The desktop picture for the screen helpers: $WORK/desktop.ppm, and its bytes in $WORK/desktop.rgb.
make_desktop() {  # RED GREEN BLUE (as make_picture)
  make_picture "$WORK/desktop.ppm" "$W" "$H" "$@" || fail "could not make the desktop picture"
  convert "$WORK/desktop.ppm" -depth 8 "rgb:$WORK/desktop.rgb" || fail "could not convert the desktop picture"
}

# The root window shows the desktop picture, within TOLERANCE per channel (0 by default), or the
# test fails.
paint_desktop() {  # [TOLERANCE]
  display -window root "$WORK/desktop.ppm" >/dev/null 2>&1  # its exit status says nothing useful
  local count max top
  read -r count max top < <(screen_difference)
  [ "$count" -eq 0 ] || [ "$max" -le "${1:-0}" ] ||
    fail "could not paint the root window with the desktop picture ($count colour values differ, by up to $max)"
}

# The screen against the desktop picture: "COUNT MAXDIFF TOP" over colour bytes, COUNT and MAXDIFF
# below the top rows and above the bottom row (the tool in hand is drawn with its top-left corner at
# the mouse, which waits in the bottom-right corner pixel), TOP the count in the top rows: nonzero
# where the program's statistics are drawn, so its own frame is shown rather than the bare root.
screen_difference() {
  import -window root "$WORK/shot.png" 2>/dev/null &&
    convert "$WORK/shot.png" -depth 8 "rgb:$WORK/shot.rgb" 2>/dev/null || { echo "999999999 255 0"; return; }
  /usr/bin/python3 - "$WORK/desktop.rgb" "$WORK/shot.rgb" "$W" "$TOP" <<'PY'
import sys
a, b = open(sys.argv[1], 'rb').read(), open(sys.argv[2], 'rb').read()
row, top = int(sys.argv[3]) * 3, int(sys.argv[4])
if len(a) != len(b):
    print(999999999, 255, 0)
else:
    body = slice(top * row, len(a) - row)
    diffs = [abs(x - y) for x, y in zip(a[body], b[body]) if x != y]
    print(len(diffs), max(diffs, default=0), sum(x != y for x, y in zip(a[:top * row], b[:top * row])))
PY
}

# The program's frame shows the desktop picture under its statistics: exactly (TOLERANCE 0), or
# within TOLERANCE per channel where the screenshot tool itself rounds (depth 30). Waits up to 20 s.
expect_desktop_shown() {  # TOLERANCE WHAT
  local count="" max="" top=""
  for _ in $(seq 40); do
    read -r count max top < <(screen_difference)
    if { [ "$count" -eq 0 ] || [ "$max" -le "$1" ]; } && [ "$top" -gt 0 ]; then
      if [ "$1" -eq 0 ]; then
        echo "ok: $2 (screen matches the desktop picture pixel for pixel)"
      else
        echo "ok: $2 (screen matches the desktop picture within $1 per channel)"
      fi
      return 0
    fi
    sleep 0.5
  done
  [ "$top" -eq 0 ] && fail "$2: no statistics text along the top: the program's frame is not shown"
  fail "$2: the screen differs from the desktop picture in $count colour values (largest difference $max)"
}

expect_screen_changed() {  # WHAT: waits up to 10 s for the screen to differ from the desktop; 1 if not
  local count=""
  for _ in $(seq 20); do
    read -r count _ < <(screen_difference)
    [ "$count" != 0 ] && { echo "ok: $1 ($count colour values differ from the desktop)"; return 0; }
    sleep 0.5
  done
  return 1
}

window_geometry() {  # "X Y WIDTH HEIGHT" of the Mirthwick window
  xwininfo -name Mirthwick 2>/dev/null | awk '/Absolute upper-left X/ {x=$NF} /Absolute upper-left Y/ {y=$NF}
    /Width:/ {w=$NF} /Height:/ {h=$NF} END {print x, y, w, h}'
}

expect_window_covers_screen() {  # WHAT
  local geometry
  geometry=$(window_geometry)
  [ "$geometry" = "0 0 $W $H" ] || fail "$1: the window is at $geometry (x y width height), not covering the screen"
  echo "ok: $1: the window covers the screen"
}

# The snapshot file: BMP header, size, every pixel against the part of the desktop picture at
# X, Y of WIDTH x HEIGHT (the whole picture by default), and its permissions when MODE is given.
expect_snapshot() {  # FILE [MODE [X Y WIDTH HEIGHT]]
  local file=$1 mode=${2:-} x=${3:-0} y=${4:-0} w=${5:-$W} h=${6:-$H}
  [ -f "$file" ] || fail "no snapshot file at $file"
  if [ -n "$mode" ]; then
    [ "$(stat -c %a "$file")" = "$mode" ] || fail "snapshot permissions are $(stat -c %a "$file"), not $mode"
  fi
  /usr/bin/python3 - "$file" "$WORK/desktop.ppm" "$x" "$y" "$w" "$h" <<'PY' || fail "snapshot file"
import struct, sys
path, picture = sys.argv[1], sys.argv[2]
x0, y0, w, h = map(int, sys.argv[3:7])
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
    full = int(ppm[:32].split()[1])
    pixels = ppm[ppm.index(b'255\n') + 4:]
    wrong = 0
    for y in range(h):
        row = d[54 + (h - 1 - y) * w * 4: 54 + (h - y) * w * 4]  # bottom row first
        start = ((y0 + y) * full + x0) * 3
        if bytes(row[i * 4 + 2 - c] for i in range(w) for c in range(3)) != pixels[start:start + w * 3]:
            wrong += 1
    if wrong: problems.append('%d rows differ from the desktop' % wrong)
if problems:
    print('snapshot: ' + '; '.join(problems))
    sys.exit(1)
PY
  echo "ok: snapshot file: BM header, ${w}x$h at 32 bits, 54 + w*h*4 bytes,${mode:+ mode $mode,} the desktop's pixels"
}

# Black with the white notice in the middle, and at most one 256 x 256 box of anything else (the
# tool in hand), below the top TOP rows.
black_with_notice() {  # SHOT TOP
  convert "$1" -depth 8 "rgb:$WORK/black.rgb" || return 1
  /usr/bin/python3 - "$WORK/black.rgb" "$W" "$H" "$2" <<'PY'
import sys
d, w, h, top = open(sys.argv[1], 'rb').read(), int(sys.argv[2]), int(sys.argv[3]), int(sys.argv[4])
white = 0
box = [w, h, -1, -1]
for y in range(top, h):
    for x in range(w):
        p = d[(y * w + x) * 3:(y * w + x) * 3 + 3]
        if p == b'\xff\xff\xff' and abs(y - h // 2) < 60:
            white += 1
        elif p != b'\0\0\0':
            box = [min(box[0], x), min(box[1], y), max(box[2], x), max(box[3], y)]
other = (box[2] - box[0] + 1, box[3] - box[1] + 1) if box[2] >= 0 else (0, 0)
print('white notice pixels: %d; anything else within %dx%d' % (white, other[0], other[1]))
sys.exit(0 if white > 500 and other[0] <= 256 and other[1] <= 256 else 1)
PY
}
