#!/usr/bin/env bash
# The installed package: cpack builds the Debian package, apt-get installs it, and the installed
# program (found on PATH, its data in /usr/share/mirthwick) shows the desktop under Xvfb pixel for
# pixel, keeps its snapshot private in the runtime folder, and quits with Escape. The package is
# removed again afterwards. Installing needs root: otherwise the test says so and is skipped.
# Usage: e2e_package.sh BUILD_DIR SOURCE_DIR
set -uo pipefail
BUILD=$(cd "${1:?build dir}" && pwd)
W=1280 H=720
TOP=40
ROWS=$((H - TOP - 1))

skip() { echo "SKIP: $*"; exit 77; }
[ -x "$BUILD/mirthwick" ] || skip "the desktop program was not built"
[ -f "$BUILD/CPackConfig.cmake" ] || skip "the build has no packaging set up"
[ "$(id -u)" -eq 0 ] || skip "installing a package needs root"
for tool in cpack apt-get dpkg-shlibdeps Xvfb xdotool import convert display /usr/bin/python3; do
  command -v "$tool" >/dev/null 2>&1 || skip "$tool is missing (./dev test installs it)"
done
dpkg-query -W -f='${Status}' mirthwick 2>/dev/null | grep -q "install ok installed" &&
  skip "a mirthwick package is installed on this machine already; the test leaves it alone"

WORK=$(mktemp -d)
XVFB_PID="" APP_PID="" INSTALLED=""
cleanup() {
  [ -n "$APP_PID" ] && kill "$APP_PID" 2>/dev/null
  [ -n "$XVFB_PID" ] && kill "$XVFB_PID" 2>/dev/null
  wait 2>/dev/null
  [ -n "$INSTALLED" ] && DEBIAN_FRONTEND=noninteractive apt-get -o DPkg::Lock::Timeout=900 purge -y -qq mirthwick \
    >/dev/null 2>&1
  rm -rf "$WORK"
}
trap cleanup EXIT
trap 'exit 1' INT TERM HUP

fail() {
  echo "FAIL: $*"
  [ -s "$WORK/app.err" ] && { echo "--- program stderr"; cat "$WORK/app.err"; }
  exit 1
}

# --- Build and install -----------------------------------------------------------------------
(cd "$BUILD" && cpack -G DEB -B "$WORK/package" >"$WORK/cpack.log" 2>&1) || { cat "$WORK/cpack.log"; fail "cpack failed"; }
DEB=$(ls "$WORK"/package/mirthwick_*.deb 2>/dev/null | head -n1)
[ -n "$DEB" ] || fail "cpack made no mirthwick_*.deb"
INSTALLED=1
(cd "$WORK/package" && DEBIAN_FRONTEND=noninteractive apt-get -o DPkg::Lock::Timeout=900 install -y -qq \
  "./$(basename "$DEB")" >"$WORK/apt.log" 2>&1) || { cat "$WORK/apt.log"; fail "apt-get could not install $(basename "$DEB")"; }
echo "ok: apt-get installed $(basename "$DEB")"
for file in /usr/bin/mirthwick /usr/share/mirthwick/Files/Img/fixedsys16x28.bmp \
    /usr/share/mirthwick/Files/Img/Consolas13x24-2.bmp /usr/share/mirthwick/Files/Sound/glassbreak.wav \
    /usr/share/applications/mirthwick.desktop /usr/share/metainfo/mirthwick.metainfo.xml \
    /usr/share/icons/hicolor/32x32/apps/mirthwick.png /usr/share/man/man6/mirthwick.6; do
  [ -f "$file" ] || fail "the package did not install $file"
done
[ "$(ls /usr/share/mirthwick/Files/Sound/*.wav | wc -l)" = 12 ] || fail "the package lacks sounds"
if command -v desktop-file-validate >/dev/null 2>&1; then
  desktop-file-validate /usr/share/applications/mirthwick.desktop || fail "the .desktop file is not valid"
fi
/usr/bin/python3 -c "import sys, xml.dom.minidom; xml.dom.minidom.parse(sys.argv[1])" \
  /usr/share/metainfo/mirthwick.metainfo.xml || fail "the metainfo file is not well-formed XML"
echo "ok: program, data, .desktop file, icon, metainfo and man page are in place"

# --- Run the installed program under Xvfb -----------------------------------------------------
/usr/bin/python3 - "$WORK/desktop.ppm" $W $H <<'PY'
import sys
path, w, h = sys.argv[1], int(sys.argv[2]), int(sys.argv[3])
rows = bytearray()
for y in range(h):
    for x in range(w):
        rows += bytes(((x * 7) & 255, (y + x // 3) & 255, (x ^ y) & 255))
open(path, 'wb').write(b'P6\n%d %d\n255\n' % (w, h) + rows)
PY
convert "$WORK/desktop.ppm" -crop ${W}x$ROWS+0+$TOP +repage -depth 8 "rgb:$WORK/desktop.rgb"
: >"$WORK/display"
Xvfb -displayfd 3 -screen 0 ${W}x${H}x24 -nolisten tcp -noreset 3>"$WORK/display" 2>"$WORK/xvfb.log" &
XVFB_PID=$!
for _ in $(seq 100); do
  [ -s "$WORK/display" ] && break
  sleep 0.1
done
[ -s "$WORK/display" ] || skip "Xvfb did not start"
export DISPLAY=":$(head -n1 "$WORK/display")"
display -window root "$WORK/desktop.ppm" >/dev/null 2>&1
xdotool mousemove $((W - 1)) $((H - 1))

RUNTIME=$WORK/run
mkdir -m 700 "$RUNTIME"
(cd / && exec env -u WAYLAND_DISPLAY XDG_SESSION_TYPE=x11 XDG_RUNTIME_DIR="$RUNTIME" SDL_AUDIODRIVER=dummy mirthwick) \
  >"$WORK/app.out" 2>"$WORK/app.err" &
APP_PID=$!
for _ in $(seq 150); do
  xdotool search --onlyvisible --name '^Mirthwick$' >/dev/null 2>&1 && break
  kill -0 "$APP_PID" 2>/dev/null || fail "the installed program ended at start"
  sleep 0.1
done
xdotool search --onlyvisible --name '^Mirthwick$' >/dev/null 2>&1 || fail "no Mirthwick window is shown"
result=""
for _ in $(seq 30); do
  kill -0 "$APP_PID" 2>/dev/null || fail "the installed program ended"
  if import -window root "$WORK/shot.png" 2>/dev/null; then
    convert "$WORK/shot.png" -crop ${W}x$ROWS+0+$TOP +repage -depth 8 "rgb:$WORK/shot.rgb"
    # The photo, under the statistics along the top edge: the program's own frames are shown.
    if cmp -s "$WORK/desktop.rgb" "$WORK/shot.rgb" &&
       [ "$(convert "$WORK/shot.png" -crop ${W}x$TOP+0+0 -depth 8 rgb:- | md5sum)" != \
         "$(convert "$WORK/desktop.ppm" -crop ${W}x$TOP+0+0 -depth 8 rgb:- | md5sum)" ]; then
      result=same
      break
    fi
  fi
  sleep 0.3
done
[ "$result" = same ] || fail "the installed program does not show the desktop pixel for pixel under its statistics"
[ -n "${MW_SHOTS:-}" ] && cp "$WORK/shot.png" "$MW_SHOTS/package-xvfb.png"
echo "ok: the installed program shows the desktop pixel for pixel"

SNAPSHOT=$RUNTIME/mirthwick/1.bmp
[ -f "$SNAPSHOT" ] || fail "no snapshot in \$XDG_RUNTIME_DIR/mirthwick"
[ "$(stat -c %a "$RUNTIME/mirthwick")" = 700 ] || fail "the snapshot folder is not 0700"
[ "$(stat -c %a "$SNAPSHOT")" = 600 ] || fail "the snapshot is not 0600"
[ "$(stat -c %s "$SNAPSHOT")" = $((54 + W * H * 4)) ] || fail "the snapshot is not the screen's size"
[ -e /usr/share/mirthwick/Files/Img/1.bmp ] && fail "the snapshot was written into the installed data folder"
echo "ok: the snapshot is \$XDG_RUNTIME_DIR/mirthwick/1.bmp, folder 0700, file 0600"

xdotool keydown Escape
for _ in $(seq 100); do
  kill -0 "$APP_PID" 2>/dev/null || break
  sleep 0.1
done
xdotool keyup Escape
kill -0 "$APP_PID" 2>/dev/null && fail "Escape did not end the installed program"
wait "$APP_PID"
rc=$?
APP_PID=""
[ "$rc" -eq 0 ] || fail "the installed program ended with exit code $rc"
echo "ok: Escape ends the installed program with exit code 0"
echo "PASS"
