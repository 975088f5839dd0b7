#!/usr/bin/env bash
# mirthwick-sim replays a script exactly: the same script and seed give the same dump.
set -euo pipefail
build=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/Files/Img" "$work/Files/Sound"
cp -r "$build/Files/." "$work/Files/"
rm -f "$work/Files/Img/1.bmp"
cat > "$work/script" <<'SCRIPT'
# open and close the menu, switch presentation, restore, quit
move 320 200
step 10
press right
step 2
release right
step 2
keydown f11
step 3
keyup f11
dump first.json
frame shot.png
keydown escape
step 5
dump last.json
SCRIPT
for run in a b; do
  mkdir -p "$work/$run"
  (cd "$work/$run" && "$build/mirthwick-sim" --seed 99 --screen 640x400 --data "$work" "$work/script")
done
diff -u "$work/a/first.json" "$work/b/first.json"
diff -u "$work/a/last.json" "$work/b/last.json"
grep -q '"quit": true' "$work/a/last.json"
grep -q '"presentation": "windowed"' "$work/a/first.json"
cmp "$work/a/shot.png" "$work/b/shot.png"
# A picture given with --desktop becomes the screen, through the snapshot file.
printf 'step\ndump desk.json\ndesktop desk.png\n' > "$work/desk-script"
(cd "$work/a" && "$build/mirthwick-sim" --seed 1 --desktop "$work/a/shot.png" --data "$work" "$work/desk-script")
grep -A2 '"desktop"' "$work/a/desk.json" | grep -q '"width": 640'
cmp "$work/a/shot.png" "$work/a/desk.png"
# Numbers are decimal (a leading zero does not make them octal) or 0x hexadecimal.
printf 'keydown 010\nstep 3\ndump\n' | "$build/mirthwick-sim" --seed 08 --screen 64x64 --data "$work" > "$work/zero.json"
printf 'keydown 10\nstep 3\ndump\n' | "$build/mirthwick-sim" --seed 0x8 --screen 64x64 --data "$work" > "$work/plain.json"
cmp "$work/zero.json" "$work/plain.json"
grep -A2 '"keys"' "$work/zero.json" | grep -q '^ *10$'
# A bad line stops the run with exit code 2 and names the line.
set +e
printf 'step\nwobble\n' | "$build/mirthwick-sim" --seed 1 --screen 64x64 --data "$work" 2> "$work/err"
rc=$?
set -e
[ "$rc" -eq 2 ] && grep -q "line 2" "$work/err"
echo "sim replay: identical dumps and frames"
