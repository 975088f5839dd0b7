#!/usr/bin/env bash
# Start-up time of the desktop program: from the process's start to its first frame on the screen,
# under Xvfb at 1920 x 1080 with no window manager, RUNS times; prints each run and the median.
# Usage: bench/startup.sh [BUILD_DIR] [RUNS]   (defaults: build, 10)
set -uo pipefail
build=$(cd "${1:-build}" && pwd)
runs=${2:-10}
for tool in Xvfb xdotool; do
  command -v "$tool" >/dev/null || { echo "$tool is missing (./dev test installs it)" >&2; exit 1; }
done
work=$(mktemp -d)
xvfb_pid=
cleanup() {
  [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null
  wait 2>/dev/null
  rm -rf "$work"
}
trap cleanup EXIT
Xvfb -displayfd 3 -screen 0 1920x1080x24 -nolisten tcp -noreset 3>"$work/display" 2>/dev/null &
xvfb_pid=$!
for _ in $(seq 100); do [ -s "$work/display" ] && break; sleep 0.1; done
export DISPLAY=:$(head -n1 "$work/display") XDG_RUNTIME_DIR=$work SDL_AUDIODRIVER=dummy MIRTHWICK_TIMING=1

times=()
for run in $(seq "$runs"); do
  "$build/mirthwick" 2>"$work/err" &
  pid=$!
  for _ in $(seq 100); do grep -q 'first frame shown' "$work/err" && break; sleep 0.1; done
  ms=$(grep -o 'shown [0-9]* ms' "$work/err" | grep -o '[0-9]*')
  xdotool keydown Escape
  for _ in $(seq 100); do kill -0 "$pid" 2>/dev/null || break; sleep 0.1; done
  xdotool keyup Escape
  wait "$pid" 2>/dev/null
  [ -n "$ms" ] || { echo "run $run: no first frame within 10 s" >&2; sed 's/^/  /' "$work/err" >&2; exit 1; }
  echo "run $run: $ms ms"
  times+=("$ms")
done
printf '%s\n' "${times[@]}" | sort -n | awk '{a[NR]=$1} END {printf "first frame after %d ms (median of %d; fastest %d, slowest %d)\n", a[int((NR+1)/2)], NR, a[1], a[NR]}'
