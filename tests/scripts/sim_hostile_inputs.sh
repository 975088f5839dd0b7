#!/usr/bin/env bash
# Hostile inputs through the simulator, one table: FIFOs, devices, sparse giants and links in place
# of a font sheet, a sound, the desktop picture and the saved photo; a PNG bomb; an endless script
# line; output to a full device; a folder as the script. Each must end, within a virtual-memory
# limit of 1 GiB (a timeout only catches hangs), with the exit code and the words given.
# Usage: sim_hostile_inputs.sh BUILD_DIR SOURCE_DIR
set -uo pipefail
build=$(cd "$1" && pwd)
sim=$build/mirthwick-sim
source "$(dirname "$0")/lib/e2e.sh"
[ -x "$sim" ] || skip "$sim is not built"
require_tools python3 truncate mkfifo
e2e_begin
font=Files/Img/fixedsys16x28.bmp sound=Files/Sound/hi.wav

# The bomb: a 75 KB 1-bit grey PNG declaring 32768 x 16384 pixels of zeros.
python3 - "$WORK/bomb.png" <<'PY'
import struct, sys, zlib
def chunk(kind, data):
    return struct.pack('>I', len(data)) + kind + data + struct.pack('>I', zlib.crc32(kind + data) & 0xffffffff)
w, h = 32768, 16384
rows = zlib.compress((b'\0' * (1 + w // 8)) * h, 9)
open(sys.argv[1], 'wb').write(b'\x89PNG\r\n\x1a\n' + chunk(b'IHDR', struct.pack('>IIBBBBB', w, h, 1, 0, 0, 0, 0))
                              + chunk(b'IDAT', rows) + chunk(b'IEND', b''))
PY
mkfifo "$WORK/pipe"
truncate -s 3G "$WORK/sparse.bmp"
mkdir "$WORK/folder"
{ echo step; printf '# %070000d\n' 0; echo step; } >"$WORK/long.sim"

# run NAME STATUS WORDS SETUP SCRIPT [OPTIONS...]: SETUP runs in a fresh data folder, then the
# simulator on SCRIPT (a file, or text fed through standard input), within the limits; its
# standard output goes to $OUT when set.
run() {
  local name=$1 want=$2 words=$3 setup=$4 script=$5; shift 5
  local dir=$WORK/data status
  rm -rf "$dir" && mkdir -p "$dir" && cp -r "$build/Files" "$dir/" && rm -f "$dir/Files/Img/1.bmp"
  (cd "$dir" && eval "$setup") || { fail_case "$name" "setup failed"; return; }
  if [ -e "$script" ]; then
    (ulimit -v 1048576; timeout 60 "$sim" --screen 320x200 --seed 3 --data "$dir" "$@" "$script") >"${OUT:-$WORK/out}" 2>"$WORK/err"
  else
    printf '%b' "$script" | (ulimit -v 1048576; timeout 60 "$sim" --screen 320x200 --seed 3 --data "$dir" "$@" -) >"${OUT:-$WORK/out}" 2>"$WORK/err"
  fi
  status=$?
  if [ "$status" = "$want" ] && grep -q -- "$words" "$WORK/err"; then
    echo "ok ($name): exit $status, said \"$words\""
  else
    fail_case "$name" "exit $status, wanted $want and \"$words\"" "$WORK/err"
  fi
}

run "FIFO as a font sheet" 0 "font sheet .* cannot be read" "rm $font && mkfifo $font" 'step\n'
run "font sheet linked to /dev/zero" 0 "font sheet .* cannot be read" "rm $font && ln -s /dev/zero $font" 'step\n'
run "2 GB sparse font sheet" 0 "font sheet .* is too large" "truncate -s 2G $font" 'step\n'
run "FIFO as a sound" 0 "sound file .* is missing" "rm $sound && mkfifo $sound" 'step\n'
run "sound linked to /dev/urandom" 0 "sound file .* is missing" "rm $sound && ln -s /dev/urandom $sound" 'step\n'
run "desktop picture a FIFO" 2 "cannot read desktop picture" "" 'step\n' --desktop "$WORK/pipe"
run "desktop picture /dev/zero" 2 "cannot read desktop picture" "" 'step\n' --desktop /dev/zero
run "desktop picture of 3 GB" 2 "is larger than 16384 x 16384" "" 'step\n' --desktop "$WORK/sparse.bmp"
run "PNG bomb" 2 "bomb.png is larger than 16384 x 16384" "" 'step\n' --desktop "$WORK/bomb.png"
run "endless script line" 2 "line 2: longer than 65536 bytes" "" "$WORK/long.sim"
run "frame to a full device" 2 "line 1: cannot write /dev/full" "" 'frame /dev/full\n'
run "desktop to a full device" 2 "line 2: cannot write /dev/full" "" 'step\ndesktop /dev/full\n'
run "script that is a folder" 2 "cannot read script .*folder: it is a folder" "" "$WORK/folder"
OUT=/dev/full run "dump to a full standard output" 2 "cannot write standard output" "" 'step\ndump\n'

# Enter after the saved photo was replaced mid-run: the photo kept in memory comes back, said once.
for tamper in "ln -sf $WORK/sparse.bmp" "truncate -s 1000" "truncate -s 3G"; do
  dir=$WORK/data
  rm -rf "$dir" && mkdir -p "$dir" && cp -r "$build/Files" "$dir/" && rm -f "$dir/Files/Img/1.bmp" "$WORK"/*.json
  {
    printf 'step\ndump %s\n' "$WORK/started.json"
    for _ in $(seq 100); do [ -s "$WORK/started.json" ] && break; sleep 0.1; done
    $tamper "$dir/Files/Img/1.bmp"
    printf 'click 100 100\nkeydown enter\nstep 2\nkeyup enter\nkeydown enter\nstep 2\nkeyup enter\ndump %s\n' "$WORK/after.json"
  } | (ulimit -v 1048576; timeout 60 "$sim" --screen 320x200 --seed 3 --data "$dir" -) >/dev/null 2>"$WORK/err"
  status=$?
  said=$(grep -c "saved desktop photo .* was unreadable" "$WORK/err")
  if [ "$status" = 0 ] && [ "$said" = 1 ] && grep -q '"width": 320' "$WORK/after.json" 2>/dev/null; then
    echo "ok (Enter after \"$tamper\" on the photo): the kept photo restored, said once, exit 0"
  else
    fail_case "Enter after \"$tamper\"" "exit $status, said $said times" "$WORK/err"
  fi
done
finish_cases
