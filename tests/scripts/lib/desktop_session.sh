# Helpers for the end-to-end tests on full desktops (GNOME, KDE Plasma), which run headless as a
# throwaway user (when run as root) with a private session bus. Sourced after lib/e2e.sh.
# Globals: W, H (the output's size), PIDS (started processes, stopped by id on exit).

PIDS=()
stop_started() {  # every process started with started(), newest first, by process id
  local i
  for ((i = ${#PIDS[@]} - 1; i >= 0; i--)); do kill "${PIDS[i]}" 2>/dev/null; done
  for ((i = ${#PIDS[@]} - 1; i >= 0; i--)); do
    for _ in $(seq 30); do kill -0 "${PIDS[i]}" 2>/dev/null || break; sleep 0.1; done
    kill -KILL "${PIDS[i]}" 2>/dev/null
  done
  wait 2>/dev/null
  PIDS=()
}
started() { PIDS+=("$1"); }

# As root: makes a throwaway user owning $WORK and runs SCRIPT again as that user, in a clean
# environment with MW_WORK set; returns its exit status. Otherwise runs it as is.
run_as_user() {  # SCRIPT NAME_PREFIX VAR=VALUE...
  local script=$1 prefix=$2 user="" status
  shift 2
  chmod 755 "$WORK"
  mkdir -p "$WORK/home" "$WORK/run"
  chmod 700 "$WORK/run"
  local run_as=()
  if [ "$(id -u)" -eq 0 ]; then
    user="$prefix$$"
    useradd --no-create-home --home-dir "$WORK/home" --shell /bin/bash "$user" >/dev/null 2>&1 ||
      skip "could not make a throwaway user (the desktop refuses root)"
    chown -R "$user:" "$WORK"
    run_as=(runuser -u "$user" --)
  fi
  "${run_as[@]}" env -i PATH="$PATH" HOME="$WORK/home" LANG=C.UTF-8 MW_WORK="$WORK" MW_SHOTS="${MW_SHOTS:-}" \
    XDG_RUNTIME_DIR="$WORK/run" "$@" timeout 240 bash "$script"
  status=$?
  [ -n "$user" ] && userdel "$user" >/dev/null 2>&1
  return $status
}

# A bus daemon's configuration that starts no services by itself: only what the test starts runs.
bus_config() {  # FILE TYPE(session|system) ADDRESS
  cat >"$1" <<EOF
<!DOCTYPE busconfig PUBLIC "-//freedesktop//DTD D-Bus Bus Configuration 1.0//EN"
 "http://www.freedesktop.org/standards/dbus/1.0/busconfig.dtd">
<busconfig><type>$2</type><listen>$3</listen><auth>EXTERNAL</auth>
<policy context="default"><allow send_destination="*" eavesdrop="true"/><allow eavesdrop="true"/><allow own="*"/></policy>
</busconfig>
EOF
}

keep_shot() {  # FILE NAME: kept for a person to look at when MW_SHOTS names a folder
  [ -n "${MW_SHOTS:-}" ] && cp "$1" "$MW_SHOTS/$2.png" 2>/dev/null
  return 0
}

# The program's screen against the desktop it photographed, below the top TOP rows (statistics):
# equal but for one box of at most 256 x 256 (the tool in hand, the pointer). Prints a line saying
# how they compare; returns 0 when they match so and the top rows differ (the program's own frame),
# or, with TOP 0, when they match so.
same_desktop() {  # SHOT DESKTOP TOP
  convert "$1" -depth 8 "rgb:$WORK/a.rgb" && convert "$2" -depth 8 "rgb:$WORK/b.rgb" || { echo "unreadable"; return 1; }
  /usr/bin/python3 - "$WORK/a.rgb" "$WORK/b.rgb" "$W" "$H" "$3" <<'PY'
import sys
a, b = open(sys.argv[1], 'rb').read(), open(sys.argv[2], 'rb').read()
w, h, top = int(sys.argv[3]), int(sys.argv[4]), int(sys.argv[5])
if len(a) != w * h * 3 or len(b) != w * h * 3:
    print('the pictures are not %dx%d' % (w, h)); sys.exit(1)
box = [w, h, -1, -1]
count = 0
for y in range(top, h):
    ra, rb = a[y * w * 3:(y + 1) * w * 3], b[y * w * 3:(y + 1) * w * 3]
    if ra == rb:
        continue
    for x in range(w):
        if ra[x * 3:x * 3 + 3] != rb[x * 3:x * 3 + 3]:
            count += 1
            box = [min(box[0], x), min(box[1], y), max(box[2], x), max(box[3], y)]
size = (box[2] - box[0] + 1, box[3] - box[1] + 1) if count else (0, 0)
top_differs = a[:top * w * 3] != b[:top * w * 3]
print('%d pixels differ below row %d, within %dx%d at (%d, %d); the top rows %s' %
      (count, top, size[0], size[1], box[0] if count else 0, box[1] if count else 0,
       'differ' if top_differs else 'are the same'))
sys.exit(0 if size[0] <= 256 and size[1] <= 256 and (top_differs or top == 0) else 1)
PY
}

# The wallpaper: every pixel's colour from its position, so a shifted or scaled photo cannot match.
make_wallpaper() {  # FILE.png
  make_picture "$WORK/wall.ppm" "$W" "$H" "x * 2 + 7" "y * 3" "((x >> 7) * 40 + (y >> 7) * 17) ^ (x + y)" &&
    convert "$WORK/wall.ppm" "$1" || fail "could not write the wallpaper"
}

wait_for() {  # SECONDS COMMAND...: until COMMAND succeeds; 1 when it never does
  local tries=$(($1 * 5))
  shift
  for _ in $(seq "$tries"); do
    "$@" >/dev/null 2>&1 && return 0
    sleep 0.2
  done
  return 1
}

portal_ready() {
  dbus-send --session --print-reply --dest=org.freedesktop.portal.Desktop /org/freedesktop/portal/desktop \
    org.freedesktop.DBus.Properties.Get string:org.freedesktop.portal.Screenshot string:version
}

# No picture of the portal's left in FOLDER (the program deletes it once read).
expect_no_portal_picture() {  # FOLDER WHAT
  local left
  left=$(find "$1" -type f -newer "$WORK/app/mirthwick" -iname '*.png' 2>/dev/null | head -n 3)
  [ -z "$left" ] || fail "$2: the portal's picture was left behind: $left"
  echo "ok: $2: the portal's picture is gone"
}
