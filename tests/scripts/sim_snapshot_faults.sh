#!/usr/bin/env bash
# The snapshot file under hostile conditions, through the simulator: a read-only Files/Img for a
# user who is not root, a full disk (a small tmpfs), a file-size limit, and a link planted at the
# snapshot's name. Each run must end with 0, say once that Enter cannot restore the desktop (or
# nothing, for the link), show the photograph, leave the old file whole and no temporary behind.
# Usage: sim_snapshot_faults.sh BUILD_DIR SOURCE_DIR
set -uo pipefail
build=$(cd "$1" && pwd)
sim=$build/mirthwick-sim
source "$(dirname "$0")/lib/e2e.sh"
[ -x "$sim" ] || skip "$sim is not built"

mounted=
on_cleanup() { [ -n "$mounted" ] && umount "$mounted" 2>/dev/null; }
e2e_begin
chmod 755 "$WORK"
mkdir -m 777 "$WORK/out"  # the dumps, writable by whichever user runs

# A hammer blow, then Enter: the desktop must still be there (damaged: nothing to restore from).
script='move 100 100
step
dump '"$WORK"'/out/before.json
click 100 100
keydown enter
step 2
keyup enter
dump '"$WORK"'/out/after.json
'

# prepare NAME: a private copy of the program beside its own Files/, with an old photo in it.
prepare() {
  local dir=$WORK/$1
  mkdir -p "$dir/Files/Img" "$dir/Files/Sound"
  cp "$sim" "$dir/"
  cp "$build"/Files/Img/*.bmp "$dir/Files/Img/" 2>/dev/null
  rm -f "$dir/Files/Img/1.bmp"
  cp "$build"/Files/Sound/*.wav "$dir/Files/Sound/"
  printf 'old photo' >"$dir/Files/Img/1.bmp"
  chmod 600 "$dir/Files/Img/1.bmp"
  echo "$dir"
}

# check NAME DIR STATUS MESSAGES: exit status 0, the message said MESSAGES times, the old photo
# whole, no temporary left, and a 320 x 200 desktop before and after Enter.
check() {
  local name=$1 dir=$2 status=$3 want=$4
  local said leftovers
  said=$(grep -c "Enter cannot restore the desktop" "$WORK/err")
  leftovers=$(find "$dir/Files/Img" -name '1.bmp.*' | wc -l)
  if [ "$status" != 0 ]; then fail_case "$name" "exit status $status" "$WORK/err"; return; fi
  if [ "$said" != "$want" ]; then fail_case "$name" "the message came $said times, not $want" "$WORK/err"; return; fi
  if [ "$want" = 1 ] && [ "$(cat "$dir/Files/Img/1.bmp")" != "old photo" ]; then
    fail_case "$name" "the old photo was changed" "$WORK/err"; return
  fi
  if [ "$leftovers" != 0 ]; then fail_case "$name" "$leftovers temporary files left" "$WORK/err"; return; fi
  for dump in before after; do
    if ! grep -q '"width": 320' "$WORK/out/$dump.json" 2>/dev/null; then fail_case "$name" "no desktop $dump Enter" "$WORK/err"; return; fi
  done
  echo "ok ($name): exit 0, message said $want time(s), photo shown before and after Enter"
}

run() {  # run DIR [command prefix...]: the simulator of DIR on the script
  local dir=$1; shift
  rm -f "$WORK/out/before.json" "$WORK/out/after.json"
  printf '%s' "$script" | "$@" "$dir/mirthwick-sim" --screen 320x200 --seed 3 --data "$dir" - 2>"$WORK/err" >/dev/null
}

# 1. Read-only Files/Img, as a user who is not root (root writes anyway).
dir=$(prepare readonly)
chmod 555 "$dir/Files/Img"
if [ "$(id -u)" = 0 ]; then
  if command -v setpriv >/dev/null; then
    chmod 644 "$dir/Files/Img/1.bmp"
    run "$dir" setpriv --reuid=65534 --regid=65534 --clear-groups
    check "read-only folder, user nobody" "$dir" $? 1
  else
    echo "SKIP (read-only folder): running as root without setpriv"
  fi
else
  run "$dir"
  check "read-only folder" "$dir" $? 1
fi

# 2. A full disk: Files/Img on a tmpfs too small for the photo (mounting needs root).
dir=$(prepare fulldisk)
if [ "$(id -u)" = 0 ] && mount -t tmpfs -o size=192k tmpfs "$dir/Files/Img" 2>/dev/null; then
  mounted=$dir/Files/Img
  cp "$build"/Files/Img/Consolas13x24-2.bmp "$dir/Files/Img/"
  printf 'old photo' >"$dir/Files/Img/1.bmp"
  run "$dir"
  check "full tmpfs" "$dir" $? 1
  umount "$mounted"
  mounted=
else
  echo "SKIP (full disk): cannot mount a tmpfs here"
fi

# 3. A file-size limit below the photo's size (SIGXFSZ must not end the program).
dir=$(prepare sizelimit)
run "$dir" bash -c 'ulimit -f 64; exec "$@"' limit
check "file-size limit" "$dir" $? 1

# 4. A link at the snapshot's name: replaced by the program's own file, its target untouched.
dir=$(prepare link)
rm "$dir/Files/Img/1.bmp"
printf 'victim' >"$WORK/victim"
ln -s "$WORK/victim" "$dir/Files/Img/1.bmp"
run "$dir"
status=$?
if [ "$(cat "$WORK/victim")" != victim ] || [ -L "$dir/Files/Img/1.bmp" ]; then
  fail_case "link" "the link was followed or kept" "$WORK/err"
else
  check "link at the snapshot's name" "$dir" $status 0
fi
finish_cases
