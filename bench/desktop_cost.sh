#!/usr/bin/env bash
# What the desktop program costs the machine while it runs, as a user's machine sees it: the real
# program at 1920 x 1080 on Xvfb (or, with --wayland, on sway's headless backend with pixman),
# driven through three scenes with the pointer, each press held across frames:
#   idle    nothing moving, panel closed, pointer still
#   battle  16 green against 16 blue sword soldiers, fighting
#   worst   200 flame soldiers a side (placed while paused), the lighter pouring in the middle
# For each scene it prints the program's processor time and the display server's over MEASURE
# seconds (percent of one core), the program's resident memory at the scene's end, and the frames
# a second it did (presented or, unchanged, skipped) and presented, from its MIRTHWICK_TIMING lines.
# With --wine, BUILD_DIR's mirthwick.exe runs under Wine on Xvfb at 1280 x 720 instead.
# Usage: bench/desktop_cost.sh [--wayland | --wine] [BUILD_DIR]   (default build; MEASURE=seconds,
# default 10; SHOTS=FOLDER keeps a screenshot of each scene's end)
# Environment passed on to the program, e.g. MIRTHWICK_PRESENT=renderer, changes what is measured.
set -uo pipefail
SELF=$(readlink -f "$0")
SOURCE=$(cd "$(dirname "$SELF")/.." && pwd)
WAYLAND=0 WINE=0 W=1920 H=1080
[ "${1:-}" = --wayland ] && { WAYLAND=1; shift; }
[ "${1:-}" = --wine ] && { WINE=1; W=1280 H=720; shift; }
MEASURE=${MEASURE:-10}
# Seconds a press is held: a frame must see it down.
HOLD=${HOLD:-0.1}

# --- Wayland as root: sway refuses root, so a throwaway user runs the rest ------------------------
if [ "$WAYLAND" = 1 ] && [ -z "${MW_WORK:-}" ] && [ "$(id -u)" -eq 0 ]; then
  build=$(cd "${1:-build}" && pwd)
  for tool in sway swaybg; do command -v "$tool" >/dev/null || { echo "$tool is missing" >&2; exit 1; }; done
  work=$(mktemp -d) user="mwcost$$"
  trap 'userdel "$user" >/dev/null 2>&1; rm -rf "$work"' EXIT
  chmod 755 "$work"
  mkdir -p "$work/app" "$work/run" "$work/home"
  cp "$build/mirthwick" "$work/app/" && cp -r "$build/Files" "$work/app/" && rm -f "$work/app/Files/Img/1.bmp"
  chmod 700 "$work/run"
  useradd --no-create-home --home-dir "$work/home" --shell /bin/bash "$user" >/dev/null 2>&1 ||
    { echo "could not make a throwaway user for sway" >&2; exit 1; }
  chown -R "$user:" "$work"
  runuser -u "$user" -- env -i PATH="$PATH" HOME="$work/home" LANG=C.UTF-8 MW_WORK="$work" MEASURE="$MEASURE" \
    HOLD="$HOLD" MIRTHWICK_PRESENT="${MIRTHWICK_PRESENT:-}" SHOTS="${SHOTS:-}" XDG_RUNTIME_DIR="$work/run" bash "$SELF" --wayland "$work/app"
  exit $?
fi

build=$(cd "${1:-build}" && pwd)
work=${MW_WORK:-$(mktemp -d)}
server_pid="" app_pid="" driver_pid=""
cleanup() {
  for pid in $driver_pid $app_pid; do kill "$pid" 2>/dev/null; done
  [ "$WINE" = 1 ] && wineserver -k </dev/null >/dev/null 2>&1
  kill "$server_pid" 2>/dev/null
  wait 2>/dev/null
  [ -z "${MW_WORK:-}" ] && rm -rf "$work"
}
trap cleanup EXIT
trap 'exit 1' INT TERM HUP

# --- The pointer: a list of commands (move X Y, press, release, rpress, rrelease, sleep S) --------
CMDS=()
click() {  # BUTTON(1|3) X Y [HOLD]: a press held across frames, however slow they are
  local down=press up=release
  [ "$1" = 3 ] && down=rpress up=rrelease
  CMDS+=(move "$2" "$3" sleep 0.05 "$down" sleep "${4:-$HOLD}" "$up" sleep 0.08)
}
panel_x=$((W - 500)) panel_y=$(((H - 600) / 2))
panel() {  # X Y...: opens the panel and clicks at each X Y inside it (a tool, last, closes it)
  click 3 300 300 0.2
  CMDS+=(sleep 0.3)
  while [ $# -ge 2 ]; do
    click 1 $((panel_x + $1)) $((panel_y + $2)) 0.2
    CMDS+=(sleep 0.3)
    shift 2
  done
}
soldiers() {  # COUNT LEFT TOP COLUMNS: one click per soldier, in a grid
  local i
  for ((i = 0; i < $1; ++i)); do click 1 $(($2 + i % $4 * 36)) $(($3 + i / $4 * 70)); done
}
# Runs the commands in CMDS in the background (driver_pid), then empties CMDS.
drive() {
  if [ "$WAYLAND" = 1 ]; then
    python3 "$SOURCE/tests/scripts/wl_pointer.py" "$W" "$H" "${CMDS[@]}" >/dev/null 2>&1 &
  else
    local args=() i=0
    while [ $i -lt ${#CMDS[@]} ]; do
      case ${CMDS[$i]} in
        move) args+=(mousemove "${CMDS[$((i + 1))]}" "${CMDS[$((i + 2))]}"); i=$((i + 3)) ;;
        sleep) args+=(sleep "${CMDS[$((i + 1))]}"); i=$((i + 2)) ;;
        press) args+=(mousedown 1); i=$((i + 1)) ;;
        release) args+=(mouseup 1); i=$((i + 1)) ;;
        rpress) args+=(mousedown 3); i=$((i + 1)) ;;
        rrelease) args+=(mouseup 3); i=$((i + 1)) ;;
      esac
    done
    xdotool "${args[@]}" &
  fi
  driver_pid=$!
  CMDS=()
}
finish_drive() { wait "$driver_pid" 2>/dev/null; driver_pid=""; }

# --- Measuring ---------------------------------------------------------------------------------
# Nanoseconds on a processor, all threads of the process: the scheduler's own account, exact where
# the clock-tick counts of /proc/PID/stat only sample (a program waking 60 times a second for
# a fraction of a tick each is charged whole ticks or none).
cpu_ns() {
  local total=0 run rest task
  for task in /proc/"$1"/task/*/schedstat; do
    read -r run rest <"$task" 2>/dev/null && total=$((total + run))
  done
  echo "$total"
}
resident_mb() { awk '/^VmRSS/ {printf "%.0f", $2 / 1024}' "/proc/$1/status" 2>/dev/null; }
# The program's last timing line: "FRAMES PRESENTED SECONDS".
frames() { grep -o '[0-9]* frames, [0-9]* presented, at [0-9.]* s' "$work/app.err" | tail -n1 | awk '{print $1, $3, $6}'; }
printf '%-8s %12s %12s %12s %12s\n' scene program% server% resident_MB frames/s
measure() {  # SCENE
  local a0 s0 f0 t0 a1 s1 f1 t1
  a0=$(cpu_ns "$app_pid") s0=$(cpu_ns "$server_pid") f0=$(frames) t0=$(date +%s.%N)
  sleep "$MEASURE"
  a1=$(cpu_ns "$app_pid") s1=$(cpu_ns "$server_pid") f1=$(frames) t1=$(date +%s.%N)
  kill -0 "$app_pid" 2>/dev/null || { echo "the program ended during $1" >&2; grep -v '^ALSA' "$work/app.err" | tail >&2; exit 1; }
  awk -v s="$1" -v a0="$a0" -v a1="$a1" -v s0="$s0" -v s1="$s1" -v t0="$t0" -v t1="$t1" \
    -v f0="${f0:-}" -v f1="${f1:-}" -v rss="$(resident_mb "$app_pid")" 'BEGIN {
      wall = t1 - t0; split(f0, x, " "); split(f1, y, " ")
      fps = (f0 != "" && f1 != "" && y[3] > x[3]) ? sprintf("%.1f (%.1f)", (y[1] - x[1]) / (y[3] - x[3]), (y[2] - x[2]) / (y[3] - x[3])) : "-"
      printf "%-8s %12.2f %12.2f %12s %12s\n", s, (a1 - a0) / 1e7 / wall, (s1 - s0) / 1e7 / wall, rss, fps }'
  if [ -n "${SHOTS:-}" ]; then
    if [ "$WAYLAND" = 1 ]; then grim "$SHOTS/$1.png"; else import -window root "$SHOTS/$1.png"; fi
  fi
}

# --- The display server --------------------------------------------------------------------------
if [ "$WAYLAND" = 1 ]; then
  rm -f "$work"/run/wayland-*
  convert -size ${W}x${H} gradient:'#4a7ab0-#d8c890' "$work/wall.png"
  printf 'output HEADLESS-1 resolution %dx%d bg %s stretch\n' "$W" "$H" "$work/wall.png" >"$work/sway.conf"
  WLR_BACKENDS=headless WLR_LIBINPUT_NO_DEVICES=1 WLR_RENDERER=pixman sway -c "$work/sway.conf" >"$work/sway.log" 2>&1 &
  server_pid=$!
  for _ in $(seq 100); do socket=$(cd "$work/run" && ls wayland-? 2>/dev/null | head -n1); [ -n "$socket" ] && break; sleep 0.1; done
  [ -n "$socket" ] || { echo "sway did not start" >&2; exit 1; }
  sleep 1
  # No screenshot portal here: the desktop shows black, with a notice for its first ten seconds.
  export WAYLAND_DISPLAY=$socket XDG_SESSION_TYPE=wayland
  unset DISPLAY
else
  for tool in Xvfb xdotool convert display; do command -v "$tool" >/dev/null || { echo "$tool is missing" >&2; exit 1; }; done
  Xvfb -displayfd 3 -screen 0 ${W}x${H}x24 -nolisten tcp -noreset 3>"$work/display" 2>/dev/null &
  server_pid=$!
  for _ in $(seq 100); do [ -s "$work/display" ] && break; sleep 0.1; done
  export DISPLAY=:$(head -n1 "$work/display")
  convert -size ${W}x${H} gradient:'#4a7ab0-#d8c890' "$work/wall.png"
  display -window root "$work/wall.png" >/dev/null 2>&1
  export XDG_RUNTIME_DIR=$work/run
  mkdir -p -m 700 "$XDG_RUNTIME_DIR"
  if [ "$WINE" = 1 ]; then
    # A private Wine prefix, made before anything is measured; no sound server, so no sound.
    export WINEPREFIX=$work/wineprefix WINEDEBUG=-all WINEDLLOVERRIDES=mscoree,mshtml=
    wineboot -i </dev/null >/dev/null 2>&1
  fi
fi

# --- The program and its scenes ----------------------------------------------------------------
app=$build
if [ -z "${MW_WORK:-}" ]; then
  app=$work/app
  program=mirthwick
  [ "$WINE" = 1 ] && program=mirthwick.exe
  mkdir -p "$app" && cp "$build/$program" "$app/" && cp -r "$build/Files" "$app/" && rm -f "$app/Files/Img/1.bmp"
fi
start_app() {
  : >"$work/app.err"
  if [ "$WINE" = 1 ]; then
    (cd /tmp && exec env MIRTHWICK_TIMING=1 wine "$app/mirthwick.exe") </dev/null >/dev/null 2>"$work/app.err" &
  else
    (cd /tmp && exec env SDL_AUDIODRIVER=dummy MIRTHWICK_TIMING=1 "$app/mirthwick") </dev/null >/dev/null 2>"$work/app.err" &
  fi
  app_pid=$!
  for _ in $(seq 300); do grep -Eq 'first frame shown|[0-9] presented' "$work/app.err" && break; sleep 0.1; done
  grep -Eq 'first frame shown|[0-9] presented' "$work/app.err" ||
    { echo "no first frame within 30 s" >&2; cat "$work/app.err" >&2; exit 1; }
  CMDS+=(move $((W - 1)) $((H - 1)) sleep 0.3)
  drive
  finish_drive
}
stop_app() {
  kill "$app_pid" 2>/dev/null
  wait "$app_pid" 2>/dev/null
  app_pid=""
}
start_app
[ "$WAYLAND" = 1 ] && sleep 5  # the notice about the black desktop goes after ten seconds
sleep 5  # the start hint goes after five seconds
measure idle

panel 270 270  # the green sword soldier
soldiers 16 150 250 4
panel 270 350  # the blue sword soldier
soldiers 16 $((W - 300)) 250 4
CMDS+=(move $((W - 1)) $((H - 1)))
drive
finish_drive
sleep 1
measure battle

# The worst scene in a program of its own: armies hold at most 200 soldiers each.
stop_app
start_app
panel 389 477 325 270  # Pause, so the armies stand still while placed; the green flame soldier
soldiers 200 60 100 $(((W / 2 - 150) / 36))
panel 325 350  # the blue flame soldier
soldiers 200 $((W / 2 + 180)) 100 $(((W / 2 - 150) / 36))
panel 389 477 320 140  # Pause off; the lighter, poured in the middle while measuring
drive
finish_drive
CMDS+=(move $((W / 2)) $((H / 2)) sleep 0.1 press sleep $((MEASURE + 3)) release)
drive
sleep 2
measure worst
finish_drive
