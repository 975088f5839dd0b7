#!/usr/bin/env bash
# The golden replays: a sword battle fought until one army is gone, the menu panel and the hammer,
# then the fires and the rifle. Each script runs twice with the seed its first lines name; both
# runs must give the same files to the byte, and each dump must match its golden file under
# tests/replays/ (only the sections the golden file holds are compared, so new dump sections do
# not break it). UPDATE_GOLDEN=1 rewrites the golden files from this run instead.
# With a LAUNCHER, the build is the Windows one and its mirthwick-sim.exe runs through it (Wine):
# the same seeds must give the same golden dumps there and, when a NATIVE_BUILD is named, the same
# dump files to the byte and the same frame pixels as the native simulator.
# Usage: replays.sh BUILD_DIR SOURCE_DIR [LAUNCHER [NATIVE_BUILD]]   (exit 77: skipped)
set -euo pipefail
build=$(cd "$1" && pwd)
source=$(cd "$2" && pwd)
launcher=${3:-}
native=${4:-}
sim=$build/mirthwick-sim${launcher:+.exe}
if [ -n "$launcher" ] && ! command -v wine >/dev/null; then
  echo "SKIP: Wine is not installed"
  exit 77
fi
if [ -n "$native" ] && { [ ! -x "$native/mirthwick-sim" ] || ! command -v convert >/dev/null; }; then
  echo "note: no native simulator or no ImageMagick: the golden dumps alone are compared"
  native=""
fi
replays=$source/tests/replays
python=/usr/bin/python3

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/data/Files/Img" "$work/data/Files/Sound"
cp -r "$build/Files/." "$work/data/Files/"
rm -f "$work/data/Files/Img/1.bmp"

for name in battle panel-hammer fire-rifle; do
  script=$replays/$name.sim
  seed=$(grep -m1 -o -- '--seed [0-9]*' "$script" | cut -d' ' -f2)
  for run in run1 run2; do
    mkdir -p "$work/$name/$run"
    (cd "$work/$name/$run" && ${launcher:+"$launcher"} "$sim" --seed "$seed" --data "$work/data" "$script")
  done
  for file in "$work/$name/run1"/*; do
    cmp -s "$file" "$work/$name/run2/$(basename "$file")" ||
      { echo "FAIL: $name: $(basename "$file") differs between two runs of one seed"; exit 1; }
  done
  if [ -n "$native" ]; then
    mkdir -p "$work/$name/native"
    (cd "$work/$name/native" && "$native/mirthwick-sim" --seed "$seed" --data "$work/data" "$script")
    # Each platform encodes its own PNG files: frames are compared by their pixels.
    for file in "$work/$name/native"/*; do
      other=$work/$name/run1/$(basename "$file")
      case $file in
        *.png) [ -f "$other" ] && cmp -s <(convert "$file" rgba:-) <(convert "$other" rgba:-) ;;
        *) cmp -s "$file" "$other" ;;
      esac || { echo "FAIL: $name: $(basename "$file") differs from the native simulator's"; exit 1; }
    done
  fi
  "$python" - "$work/$name/run1" "$replays" "${UPDATE_GOLDEN:-0}" <<'PY'
import difflib, glob, json, os, sys
run, replays, update = sys.argv[1], sys.argv[2], sys.argv[3] == "1"
SECTIONS = ["frame", "quit", "world", "green", "blue", "fires", "lighterFlame", "sounds"]
failed = False
if os.path.exists(f"{run}/battle-end.json"):
    with open(f"{run}/battle-end.json") as f:
        end = json.load(f)
    counts = (end["green"]["count"], end["blue"]["count"])
    if min(counts) != 0 or max(counts) == 0:
        sys.exit(f"FAIL: the battle should end with one army gone, counts green {counts[0]}, blue {counts[1]}")
for path in sorted(glob.glob(f"{run}/*.json")):
    name = os.path.basename(path)
    with open(path) as f:
        dump = json.load(f)
    if update:
        with open(f"{replays}/{name}", "w") as f:
            json.dump({k: dump[k] for k in SECTIONS}, f, indent=1)
            f.write("\n")
        print(f"updated {replays}/{name}")
        continue
    with open(f"{replays}/{name}") as f:
        golden = json.load(f)
    for key, want in golden.items():
        got = dump.get(key)
        if key == "world" and isinstance(got, dict):
            got = {k: got.get(k) for k in want}  # fields added to the world later are not compared
        if got != want:
            failed = True
            a = json.dumps(want, indent=1).splitlines()
            b = json.dumps(got, indent=1).splitlines()
            print(f"FAIL: {name}: section '{key}' differs from the golden dump:")
            print("\n".join(difflib.unified_diff(a, b, "golden", "this run", lineterm="", n=2)))
sys.exit(1 if failed else 0)
PY
done
echo "PASS"
