#!/usr/bin/env bash
# The desktop program under Xvfb with one sound file missing: it starts, says once which file is
# missing, quits on Escape with exit code 0 — with the dummy and with the disk audio driver.
# Usage: e2e_sound_missing.sh BUILD_DIR SOURCE_DIR
set -uo pipefail
build=$(cd "$1" && pwd)
program=$build/mirthwick
missing=click.wav

source "$(dirname "$0")/lib/e2e.sh"
[ -x "$program" ] || skip "$program is not built"
require_tools Xvfb xdotool /usr/bin/python3
e2e_begin

# The program reads Files/ beside itself: a private copy with every sound but one.
copy_program "$program" "$WORK"
mkdir -p "$WORK/Files/Sound"
/usr/bin/python3 - "$WORK/Files/Sound" <<'EOF'
import os, struct, sys
folder = sys.argv[1]
names = ["glassbreak", "burning", "zippo", "M4", "eqM4", "eqHam", "click", "death", "die", "hi", "sword", "sword2"]
for name in names:
    path = os.path.join(folder, name + ".wav")
    if os.path.exists(path):
        continue
    samples = b"".join(struct.pack("<hh", (i * 37) % 2000 - 1000, 0) for i in range(4410))
    header = b"RIFF" + struct.pack("<I", 36 + len(samples)) + b"WAVEfmt " + struct.pack(
        "<IHHIIHH", 16, 1, 2, 44100, 176400, 4, 16) + b"data" + struct.pack("<I", len(samples))
    with open(path, "wb") as f:
        f.write(header + samples)
EOF
rm "$WORK/Files/Sound/$missing"
own_runtime_folder
W=1024 H=768
start_xvfb 24 || { cat "$WORK/xvfb.log"; fail "Xvfb did not start"; }

for driver in dummy disk; do
  rm -f "$WORK/err" "$WORK/out.raw"
  SDL_AUDIODRIVER=$driver SDL_DISKAUDIOFILE="$WORK/out.raw" "$WORK/mirthwick" 2>"$WORK/err" &
  APP_PID=$!
  window=$(timeout 20 xdotool search --sync --name '^Mirthwick$' 2>/dev/null | head -n1)
  sleep 1
  STATUS=timeout
  if [ -n "$window" ]; then
    xdotool windowfocus --sync "$window" 2>/dev/null || true
    escape_until_ended "$APP_PID" 20
  fi
  [ "$STATUS" = 0 ] || kill "$APP_PID" 2>/dev/null
  APP_PID=

  mentions=$(grep -c "$missing" "$WORK/err")
  if [ -z "$window" ] || [ "$STATUS" != 0 ] || [ "$mentions" != 1 ]; then
    fail_case "$driver" "window '${window}', exit status $STATUS, $mentions stderr lines naming $missing" "$WORK/err"
  else
    echo "ok ($driver): quit with 0 on Escape; stderr named $missing once"
  fi
done
finish_cases
