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
[ -x "$program" ] || { echo "SKIP: the desktop program was not built"; exit 0; }
for tool in Xvfb xdotool xsetroot import convert; do
  command -v "$tool" >/dev/null || { echo "SKIP: $tool is missing (./dev test installs it)"; exit 0; }
done

work=$(mktemp -d)
chmod 755 "$work"
xvfb_pid= pids=()
cleanup() {
  for p in "${pids[@]}"; do kill "$p" 2>/dev/null; done
  [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null
  wait 2>/dev/null
  rm -rf "$work"
}
trap cleanup EXIT
failures=0
fail() { echo "FAIL ($1): $2"; for f in "$work"/*.err; do sed "s|^|  $(basename "$f"): |" "$f"; done; failures=$((failures + 1)); }

start_xvfb() {
  : >"$work/display"
  Xvfb -displayfd 3 -screen 0 ${W}x${H}x24 -nolisten tcp -noreset 3>"$work/display" 2>"$work/xvfb.log" &
  xvfb_pid=$!
  for _ in $(seq 100); do [ -s "$work/display" ] && break; sleep 0.1; done
  [ -s "$work/display" ] || { echo "FAIL: Xvfb did not start"; exit 1; }
  export DISPLAY=:$(head -n1 "$work/display")
  xsetroot -solid '#3366cc'
}

# A private copy beside its own Files/, a private runtime folder (the lock lives there), quiet sound.
app=$work/app
mkdir -p "$app" "$work/run"
chmod 700 "$work/run"
cp "$program" "$app/"
cp -r "$build/Files" "$app/"
rm -f "$app/Files/Img/1.bmp"
export XDG_RUNTIME_DIR=$work/run SDL_AUDIODRIVER=dummy
snapshot=$app/Files/Img/1.bmp
whole_size=$((54 + W * H * 4))

launch() {  # launch NAME [prefix...]: starts the program, waits for its window; sets $pid, $window
  local name=$1; shift
  "$@" "$app/mirthwick" 2>"$work/$name.err" &
  pid=$!
  pids+=("$pid")
  window=$(timeout 20 xdotool search --sync --name '^Mirthwick$' 2>/dev/null | head -n1)
  sleep 1
}
ended() {  # ended PID SECONDS: waits; sets $status to the exit status, or "running"
  status=running
  for _ in $(seq $(($2 * 10))); do
    if ! kill -0 "$1" 2>/dev/null; then wait "$1"; status=$?; return; fi
    sleep 0.1
  done
}
key() {  # key NAME: pressed on the program's window and held across frames
  [ -n "$window" ] && xdotool windowfocus --sync "$window" 2>/dev/null
  xdotool keydown "$1"; sleep 0.5; xdotool keyup "$1"; sleep 0.3
}
quit_with_escape() {  # held until the program has ended, as a hand holds it; sets $status
  [ -n "$window" ] && xdotool windowfocus --sync "$window" 2>/dev/null
  xdotool keydown Escape
  ended "$1" 10
  xdotool keyup Escape
}
snapshot_whole() {
  [ "$(stat -c %s "$snapshot" 2>/dev/null)" = "$whole_size" ] && [ -z "$(find "$app/Files/Img" -name '1.bmp.*')" ]
}
shown_colour() {  # the screen's pixel in the middle, below the statistics
  import -window root -crop 1x1+$((W / 3))+$((H / 2)) +repage -depth 8 txt:- 2>/dev/null | grep -o '#[0-9A-F]\{6\}' | head -n1
}

start_xvfb

# Second instance: says so, exits 0, and leaves the first and its snapshot alone.
launch first
first=$pid
before=$(md5sum <"$snapshot")
"$app/mirthwick" 2>"$work/second.err"
status=$?
if [ "$status" = 0 ] && grep -q "Mirthwick is already running" "$work/second.err" && kill -0 "$first" &&
   [ "$(md5sum <"$snapshot")" = "$before" ]; then
  echo "ok (second instance): exit 0, said it is already running; the first runs on, its snapshot unchanged"
else
  fail "second instance" "exit status $status"
fi
quit_with_escape "$first"
[ "$status" = 0 ] || fail "escape" "exit status $status"

# The signals a user or a closing terminal sends: exit 0, snapshot whole.
# A script starts its background jobs with SIGINT ignored; a terminal's Ctrl+C finds it at its default.
for signal in INT TERM HUP; do
  launch "sig$signal" env --default-signal=INT
  if [ -z "$window" ] || ! kill -0 "$pid" 2>/dev/null; then fail "SIG$signal" "did not start"; continue; fi
  kill -s "$signal" "$pid"
  ended "$pid" 10
  if [ "$status" = 0 ] && snapshot_whole; then
    echo "ok (SIG$signal): exit 0, snapshot whole"
  else
    fail "SIG$signal" "exit status $status"
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
  chmod 777 "$work/run"  # the other user's runtime folder would be its own
  [ "$(id -u)" = 0 ] && export XDG_RUNTIME_DIR=$work/run-nobody && mkdir -p "$XDG_RUNTIME_DIR" && chown 65534 "$XDG_RUNTIME_DIR" && chmod 700 "$XDG_RUNTIME_DIR"
  before=$(md5sum <"$snapshot")
  launch readonly "${as_user[@]}" bash -c 'ulimit -f 100; exec "$@"' limit
  shown=$(shown_colour)
  key Return
  after_enter=$(shown_colour)
  quit_with_escape "$pid"
  said=$(grep -c "Enter cannot restore the desktop" "$work/readonly.err")
  if [ "$status" = 0 ] && [ "$said" = 1 ] && [ "$shown" = "#3366CC" ] && [ "$after_enter" = "#3366CC" ] &&
     [ "$(md5sum <"$snapshot")" = "$before" ] && [ -z "$(find "$XDG_RUNTIME_DIR" -name '1.bmp*')" ]; then
    echo "ok (read-only Files/Img, full runtime folder): shows the desktop, said once that Enter cannot restore, exit 0"
  else
    fail "read-only Files/Img" "exit $status, said $said times, colour $shown then $after_enter"
  fi
  chmod 755 "$app/Files/Img"
  export XDG_RUNTIME_DIR=$work/run
fi

# The sound device fails mid-run: the disk driver's file reaches the file-size limit.
SDL_AUDIODRIVER=disk SDL_DISKAUDIOFILE=$work/sound.raw launch sound bash -c 'ulimit -f 1024; exec "$@"' limit
sleep 6
written=$(stat -c %s "$work/sound.raw" 2>/dev/null || echo 0)
quit_with_escape "$pid"
if [ "$status" = 0 ] && [ "$written" -ge 1000000 ]; then
  echo "ok (sound device failing): ran on after its output stopped at $written bytes, exit 0"
else
  fail "sound device failing" "exit status $status, $written bytes of sound written"
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
  if [ "$alive" = yes ] && [ "$status" = 0 ]; then
    echo "ok (screen resized): kept running, exit 0 on Escape"
  else
    fail "screen resized" "running after the resize: $alive; exit status $status"
  fi
fi

# No display at all, or one that does not answer: one line saying so and exit 1 at once, rather
# than running on where nobody sees it.
for case in "no display" "dead display"; do
  if [ "$case" = "no display" ]; then settings=(-u DISPLAY -u WAYLAND_DISPLAY); else settings=(-u WAYLAND_DISPLAY DISPLAY=:1999); fi
  timeout 20 env "${settings[@]}" "$app/mirthwick" 2>"$work/nodisplay.err"
  status=$?
  if [ "$status" = 1 ] && grep -q "no screen to show on" "$work/nodisplay.err"; then
    echo "ok ($case): said so, exit 1"
  else
    fail "$case" "exit status $status"
  fi
done

# The X server goes away: one line, exit 0, snapshot whole.
kill "$xvfb_pid"; wait "$xvfb_pid" 2>/dev/null; xvfb_pid=
start_xvfb
launch xgone
kill "$xvfb_pid"; wait "$xvfb_pid" 2>/dev/null; xvfb_pid=
ended "$pid" 10
if [ "$status" = 0 ] && grep -q "X display went away" "$work/xgone.err" && snapshot_whole; then
  echo "ok (X server gone): said so, exit 0, snapshot whole"
else
  fail "X server gone" "exit status $status"
fi
exit $((failures > 0))
