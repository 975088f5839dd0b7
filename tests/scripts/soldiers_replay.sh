#!/usr/bin/env bash
# The battle replay: twenty soldiers a side fight until one army is gone. The same script and seed
# must give the same dumps and frames twice, and the dumps must match the golden ones under
# tests/replays/ (only the sections the golden files hold are compared, so new dump sections do
# not break it). UPDATE_GOLDEN=1 rewrites the golden files from this run instead.
# Usage: soldiers_replay.sh BUILD_DIR SOURCE_DIR
set -euo pipefail
build=$(cd "$1" && pwd)
source=$(cd "$2" && pwd)
replays=$source/tests/replays
python=/usr/bin/python3

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/data/Files/Img" "$work/data/Files/Sound" "$work/run1" "$work/run2"
cp -r "$build/Files/." "$work/data/Files/"
rm -f "$work/data/Files/Img/1.bmp"

for run in run1 run2; do
  (cd "$work/$run" && "$build/mirthwick-sim" --seed 7 --data "$work/data" "$replays/battle.sim")
done
for file in battle-mid.json battle-end.json battle-mid.png battle-end.png battle-desktop.png; do
  cmp -s "$work/run1/$file" "$work/run2/$file" || { echo "FAIL: $file differs between two runs of one seed"; exit 1; }
done

"$python" - "$work/run1" "$replays" "${UPDATE_GOLDEN:-0}" <<'PY'
import difflib, json, sys
run, replays, update = sys.argv[1], sys.argv[2], sys.argv[3] == "1"
SECTIONS = ["frame", "quit", "world", "green", "blue", "sounds"]

def load(path):
    with open(path) as f:
        return json.load(f)

end = load(f"{run}/battle-end.json")
counts = (end["green"]["count"], end["blue"]["count"])
if min(counts) != 0 or max(counts) == 0:
    sys.exit(f"FAIL: the battle should end with one army gone, counts green {counts[0]}, blue {counts[1]}")

failed = False
for name in ("battle-mid.json", "battle-end.json"):
    dump = load(f"{run}/{name}")
    if update:
        with open(f"{replays}/{name}", "w") as f:
            json.dump({k: dump[k] for k in SECTIONS}, f, indent=1)
            f.write("\n")
        print(f"updated {replays}/{name}")
        continue
    golden = load(f"{replays}/{name}")
    for key, want in golden.items():
        got = dump.get(key)
        if isinstance(want, dict) and key == "world" and isinstance(got, dict):
            got = {k: got.get(k) for k in want}  # fields added to the world later are not compared
        if got != want:
            failed = True
            a = json.dumps(want, indent=1).splitlines()
            b = json.dumps(got, indent=1).splitlines()
            print(f"FAIL: {name}: section '{key}' differs from the golden dump:")
            print("\n".join(difflib.unified_diff(a, b, "golden", "this run", lineterm="", n=2)))
sys.exit(1 if failed else 0)
PY
echo "PASS"
