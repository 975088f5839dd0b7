#!/usr/bin/env bash
# The desktop program in a hostile environment, on Xvfb: a folder or a link at the lock's name, an
# 8-bit screen no renderer can draw on (and a 16-bit one, which works), an X server that is stopped
# and a socket that accepts and never answers, and a quit signal while it waits for them. Each ends
# with the exit code and the line given; a timeout only catches hangs.
# Usage: e2e_hostile.sh BUILD_DIR SOURCE_DIR
set -uo pipefail
build=$(cd "$1" && pwd)
program=$build/mirthwick
W=320 H=240
source "$(dirname "$0")/lib/e2e.sh"
[ -x "$program" ] || skip "the desktop program was not built"
require_tools Xvfb xdotool python3
silent_pid=""
on_cleanup() {
  [ -n "$XSERVER_PID" ] && kill -CONT "$XSERVER_PID" 2>/dev/null
  [ -n "$silent_pid" ] && kill "$silent_pid" 2>/dev/null
}
e2e_begin
app=$WORK/app
copy_program "$program" "$app"
own_runtime_folder
export SDL_AUDIODRIVER=dummy

expect() {  # NAME STATUS WORDS SECONDS [prefix...]: runs the program, which must end so
  local name=$1 want=$2 words=$3 seconds=$4; shift 4
  timeout "$seconds" "$@" "$app/mirthwick" 2>"$WORK/err" >/dev/null
  local status=$?
  if [ "$status" = "$want" ] && grep -q -- "$words" "$WORK/err" && [ "$(grep -vc '^ALSA' "$WORK/err")" -le 2 ]; then
    echo "ok ($name): exit $status, said \"$words\""
  else
    fail_case "$name" "exit $status, wanted $want and \"$words\"" "$WORK/err"
  fi
}

start_xvfb 24 || fail "Xvfb did not start"
for planted in folder link; do
  rm -rf "$XDG_RUNTIME_DIR/mirthwick.lock"
  if [ $planted = folder ]; then mkdir "$XDG_RUNTIME_DIR/mirthwick.lock"; else ln -s "$WORK/elsewhere" "$XDG_RUNTIME_DIR/mirthwick.lock"; fi
  expect "a $planted at the lock's name" 1 "cannot take the one-instance lock: $XDG_RUNTIME_DIR/mirthwick.lock" 20
done
rm -rf "$XDG_RUNTIME_DIR/mirthwick.lock"

# A stopped X server: the connection is accepted by the kernel and never answered.
kill -STOP "$XSERVER_PID"
expect "stopped X server" 1 "the X display $DISPLAY does not answer" 30
"$app/mirthwick" 2>"$WORK/err" &
pid=$!
sleep 1
kill -TERM "$pid"
ended "$pid" 10
if [ "$STATUS" = 0 ]; then echo "ok (SIGTERM while waiting for the display): exit 0"; else fail_case "SIGTERM while waiting" "exit $STATUS" "$WORK/err"; fi
kill -CONT "$XSERVER_PID"
stop_xserver

# A socket that accepts and never replies, at a display number of its own.
number=$((200 + RANDOM % 10))
while [ -e "/tmp/.X11-unix/X$number" ] || [ -e "/tmp/.X$number-lock" ]; do number=$((200 + RANDOM % 10)); done
python3 -c '
import socket, sys, time
s = socket.socket(socket.AF_UNIX); s.bind(sys.argv[1]); s.listen(8)
held = []
while True: held.append(s.accept()[0])
' "/tmp/.X11-unix/X$number" &
silent_pid=$!
for _ in $(seq 50); do [ -S "/tmp/.X11-unix/X$number" ] && break; sleep 0.1; done
expect "silent socket" 1 "the X display :$number does not answer" 30 env DISPLAY=":$number"
kill "$silent_pid"; wait "$silent_pid" 2>/dev/null; silent_pid=""
rm -f "/tmp/.X11-unix/X$number"

# An 8-bit screen: no renderer, so one line and exit 1, not an unseen busy loop holding the lock.
start_xvfb 8 || fail "Xvfb did not start at depth 8"
expect "8-bit screen" 1 "Mirthwick: no \(renderer\|window\)" 30
stop_xserver

# A 16-bit screen still works: the window appears and Escape ends it with 0.
start_xvfb 16 || fail "Xvfb did not start at depth 16"
start_program "$app" "$app/mirthwick"
wait_for_window 20 "16-bit screen"
quit_with_escape "16-bit screen: Escape"
finish_cases
