#!/usr/bin/env bash
# The desktop program under Xvfb with one sound file missing: it starts, says once which file is
# missing, quits on Escape with exit code 0 — with the dummy and with the disk audio driver.
# Usage: e2e_sound_missing.sh BUILD_DIR SOURCE_DIR
set -uo pipefail
build=$(cd "$1" && pwd)
program=$build/mirthwick
missing=click.wav

if [ ! -x "$program" ]; then
  echo "SKIP: $program is not built"
  exit 0
fi
for tool in Xvfb xdotool /usr/bin/python3; do
  if ! command -v "$tool" >/dev/null; then
    echo "SKIP: $tool is not installed"
    exit 0
  fi
done

work=$(mktemp -d)
xvfb_pid=
app_pid=
cleanup() {
  [ -n "$app_pid" ] && kill "$app_pid" 2>/dev/null
  [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null
  wait 2>/dev/null
  rm -rf "$work"
}
trap cleanup EXIT

# The program reads Files/ beside itself: a private copy with every sound but one.
cp "$program" "$work/mirthwick"
cp -r "$build/Files" "$work/Files"
rm -f "$work/Files/Img/1.bmp"
mkdir -p "$work/Files/Sound"
/usr/bin/python3 - "$work/Files/Sound" <<'EOF'
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
rm "$work/Files/Sound/$missing"
# A runtime folder of its own: the one-instance lock there is not shared with tests running meanwhile.
export XDG_RUNTIME_DIR=$work/run
mkdir -m 700 "$XDG_RUNTIME_DIR"

Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$work/display" 2>"$work/xvfb.log" &
xvfb_pid=$!
for _ in $(seq 100); do
  [ -s "$work/display" ] && break
  sleep 0.1
done
if [ ! -s "$work/display" ]; then
  echo "FAIL: Xvfb did not start"; cat "$work/xvfb.log"; exit 1
fi
export DISPLAY=:$(head -n1 "$work/display")

failures=0
for driver in dummy disk; do
  rm -f "$work/err" "$work/out.raw"
  SDL_AUDIODRIVER=$driver SDL_DISKAUDIOFILE="$work/out.raw" "$work/mirthwick" 2>"$work/err" &
  app_pid=$!
  window=$(timeout 20 xdotool search --sync --name '^Mirthwick$' 2>/dev/null | head -n1)
  sleep 1
  if [ -n "$window" ]; then
    xdotool windowfocus --sync "$window" 2>/dev/null || true
    # Held down until the program has ended: a press and release between two frames is never seen.
    xdotool keydown Escape
  fi
  status=timeout
  [ -n "$window" ] && for _ in $(seq 200); do
    if ! kill -0 "$app_pid" 2>/dev/null; then
      wait "$app_pid"
      status=$?
      break
    fi
    sleep 0.1
  done
  [ -n "$window" ] && xdotool keyup Escape
  [ "$status" = timeout ] && kill "$app_pid" 2>/dev/null
  app_pid=

  mentions=$(grep -c "$missing" "$work/err")
  if [ -z "$window" ] || [ "$status" != 0 ] || [ "$mentions" != 1 ]; then
    echo "FAIL ($driver): window '${window}', exit status $status, $mentions stderr lines naming $missing"
    sed 's/^/  stderr: /' "$work/err"
    failures=$((failures + 1))
  else
    echo "ok ($driver): quit with 0 on Escape; stderr named $missing once"
  fi
done
exit $((failures > 0))
