#!/usr/bin/env bash
# The desktop program under faults, on Xvfb: a second instance, SIGINT, SIGTERM and SIGHUP, a
# Files/Img it may not write (as a user who is not root), a sound device whose output file hits
# the file-size limit, the screen shrunk with xrandr, no display to show on, and the X server going
# away. Each ends with exit code 0 (or keeps running where it should, or 1 with no display) and
# leaves the snapshot file whole.
# Usage: e2e_faults.sh BUILD_DIR SOURCE_DIR
set -uo pipefail
build=$(cd "$1" && pwd)
program=$build/mirthwick
W=480 H=360
source "$(dirname "$0")/lib/e2e.sh"
[ -x "$program" ] || skip "the desktop program was not built"
require_tools Xvfb xdotool xsetroot import convert

pids=()
on_cleanup() { for p in "${pids[@]}"; do kill "$p" 2>/dev/null; done; }
e2e_begin
chmod 755 "$WORK"

start_xvfb_blue() {
  start_xvfb 24 || fail "Xvfb did not start"
  xsetroot -solid '#3366cc'
}

# A private copy beside its own Files/, a private runtime folder (the lock lives there), quiet sound.
app=$WORK/app
copy_program "$program" "$app"
mkdir -p "$WORK/run"
chmod 700 "$WORK/run"
export XDG_RUNTIME_DIR=$WORK/run SDL_AUDIODRIVER=dummy
snapshot=$app/Files/Img/1.bmp
whole_size=$((54 + W * H * 4))

launch() {  # launch NAME [prefix...]: starts the program, waits for its window; sets $pid, $window
  local name=$1; shift
  "$@" "$app/mirthwick" 2>"$WORK/$name.err" &
  pid=$!
  pids+=("$pid")
  window=$(timeout 20 xdotool search --sync --name '^Mirthwick$' 2>/dev/null | head -n1)
  sleep 1
}
key() {  # key NAME: pressed on the program's window and held across frames
  [ -n "$window" ] && xdotool windowfocus --sync "$window" 2>/dev/null
  press "$1" 0.5
}
quit_with_escape() {  # held until the program has ended, as a hand holds it; sets $STATUS
  [ -n "$window" ] && xdotool windowfocus --sync "$window" 2>/dev/null
  escape_until_ended "$1" 10
}
snapshot_whole() {
  [ "$(stat -c %s "$snapshot" 2>/dev/null)" = "$whole_size" ] && [ -z "$(find "$app/Files/Img" -name '1.bmp.*')" ]
}
shown_colour() {  # the screen's pixel in the middle, below the statistics
  import -window root -crop 1x1+$((W / 3))+$((H / 2)) +repage -depth 8 txt:- 2>/dev/null | grep -o '#[0-9A-F]\{6\}' | head -n1
}

start_xvfb_blue

# Second instance: says so, exits 0, and leaves the first and its snapshot alone.
launch first
first=$pid
before=$(md5sum <"$snapshot")
"$app/mirthwick" 2>"$WORK/second.err"
STATUS=$?
if [ "$STATUS" = 0 ] && grep -q "Mirthwick is already running" "$WORK/second.err" && kill -0 "$first" &&
   [ "$(md5sum <"$snapshot")" = "$before" ]; then
  echo "ok (second instance): exit 0, said it is already running; the first runs on, its snapshot unchanged"
else
  fail_case "second instance" "exit status $STATUS" "$WORK"/*.err
fi
quit_with_escape "$first"
[ "$STATUS" = 0 ] || fail_case "escape" "exit status $STATUS" "$WORK"/*.err

# The signals a user or a closing terminal sends: exit 0, snapshot whole.
# A script starts its background jobs with SIGINT ignored; a terminal's Ctrl+C finds it at its default.
for signal in INT TERM HUP; do
  launch "sig$signal" env --default-signal=INT
  if [ -z "$window" ] || ! kill -0 "$pid" 2>/dev/null; then fail_case "SIG$signal" "did not start" "$WORK"/*.err; continue; fi
  kill -s "$signal" "$pid"
  ended "$pid" 10
  if [ "$STATUS" = 0 ] && snapshot_whole; then
    echo "ok (SIG$signal): exit 0, snapshot whole"
  else
    fail_case "SIG$signal" "exit status $STATUS" "$WORK"/*.err
  fi
done

# A Files/Img it cannot write and a file-size limit below the photo's size (a full disk) in the
# runtime folder it falls back to, as a user who is not root: it runs, shows the photograph, says
# once that Enter cannot restore, Enter leaves the photograph on screen, and no file is left half
# written.
if [ "$(id -u)" = 0 ] && command -v setpriv >/dev/null; then as_user=(setpriv --reuid=65534 --regid=65534 --clear-groups)
elif [ "$(id -u)" != 0 ]; then as_user=()
else as_user=(); echo "SKIP (read-only folder): root without setpriv"; fi
if [ "$(id -u)" != 0 ] || [ ${#as_user[@]} -gt 0 ]; then
  chmod 555 "$app/Files/Img"
  chmod 777 "$WORK/run"  # the other user's runtime folder would be its own
  [ "$(id -u)" = 0 ] && export XDG_RUNTIME_DIR=$WORK/run-nobody && mkdir -p "$XDG_RUNTIME_DIR" && chown 65534 "$XDG_RUNTIME_DIR" && chmod 700 "$XDG_RUNTIME_DIR"
  before=$(md5sum <"$snapshot")
  launch readonly "${as_user[@]}" bash -c 'ulimit -f 100; exec "$@"' limit
  shown=$(shown_colour)
  key Return
  after_enter=$(shown_colour)
  quit_with_escape "$pid"
  said=$(grep -c "Enter cannot restore the desktop" "$WORK/readonly.err")
  if [ "$STATUS" = 0 ] && [ "$said" = 1 ] && [ "$shown" = "#3366CC" ] && [ "$after_enter" = "#3366CC" ] &&
     [ "$(md5sum <"$snapshot")" = "$before" ] && [ -z "$(find "$XDG_RUNTIME_DIR" -name '1.bmp*')" ]; then
    echo "ok (read-only Files/Img, full runtime folder): shows the desktop, said once that Enter cannot restore, exit 0"
  else
    fail_case "read-only Files/Img" "exit $STATUS, said $said times, colour $shown then $after_enter" "$WORK"/*.err
  fi
  chmod 755 "$app/Files/Img"
  export XDG_RUNTIME_DIR=$WORK/run
fi

# The sound device fails mid-run: the disk driver's file reaches the file-size limit.
SDL_AUDIODRIVER=disk SDL_DISKAUDIOFILE=$WORK/sound.raw launch sound bash -c 'ulimit -f 1024; exec "$@"' limit
sleep 6
written=$(stat -c %s "$WORK/sound.raw" 2>/dev/null || echo 0)
quit_with_escape "$pid"
if [ "$STATUS" = 0 ] && [ "$written" -ge 1000000 ]; then
  echo "ok (sound device failing): ran on after its output stopped at $written bytes, exit 0"
else
  fail_case "sound device failing" "exit status $STATUS, $written bytes of sound written" "$WORK"/*.err
fi

# The screen shrinks under it (RandR): it keeps running.
launch resize
xrandr --fb $((W * 3 / 4))x$((H * 3 / 4)) >/dev/null 2>&1
sleep 1.5
if [ "$(xdpyinfo 2>/dev/null | grep -c "dimensions: *$((W * 3 / 4))x$((H * 3 / 4))")" = 0 ]; then
  echo "SKIP (resize): this X server did not resize its screen"
  quit_with_escape "$pid"
else
  alive=$(kill -0 "$pid" 2>/dev/null && echo yes || echo no)
  quit_with_escape "$pid"
  if [ "$alive" = yes ] && [ "$STATUS" = 0 ]; then
    echo "ok (screen resized): kept running, exit 0 on Escape"
  else
    fail_case "screen resized" "running after the resize: $alive; exit status $STATUS" "$WORK"/*.err
  fi
fi

# No display at all, or one that does not answer: one line saying so and exit 1 at once, rather
# than running on where nobody sees it.
for case in "no display" "dead display"; do
  if [ "$case" = "no display" ]; then settings=(-u DISPLAY -u WAYLAND_DISPLAY); else settings=(-u WAYLAND_DISPLAY DISPLAY=:1999); fi
  timeout 20 env "${settings[@]}" "$app/mirthwick" 2>"$WORK/nodisplay.err"
  STATUS=$?
  if [ "$STATUS" = 1 ] && grep -q "no screen to show on" "$WORK/nodisplay.err"; then
    echo "ok ($case): said so, exit 1"
  else
    fail_case "$case" "exit status $STATUS" "$WORK"/*.err
  fi
done

# The X server goes away: one line, exit 0, snapshot whole.
stop_xserver
start_xvfb_blue
launch xgone
stop_xserver
ended "$pid" 10
if [ "$STATUS" = 0 ] && grep -q "X display went away" "$WORK/xgone.err" && snapshot_whole; then
  echo "ok (X server gone): said so, exit 0, snapshot whole"
else
  fail_case "X server gone" "exit status $STATUS" "$WORK"/*.err
fi
finish_cases
