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

source "$(dirname "$0")/lib/e2e.sh"
[ -x "$BUILD/mirthwick" ] || skip "the desktop program was not built"
[ -f "$BUILD/CPackConfig.cmake" ] || skip "the build has no packaging set up"
[ "$(id -u)" -eq 0 ] || skip "installing a package needs root"
require_tools cpack apt-get dpkg-shlibdeps Xvfb xdotool import convert display /usr/bin/python3
dpkg-query -W -f='${Status}' mirthwick 2>/dev/null | grep -q "install ok installed" &&
  skip "a mirthwick package is installed on this machine already; the test leaves it alone"

INSTALLED=""
on_cleanup() {
  [ -n "$INSTALLED" ] && DEBIAN_FRONTEND=noninteractive apt-get -o DPkg::Lock::Timeout=900 purge -y -qq mirthwick \
    >/dev/null 2>&1
}
e2e_begin

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
make_desktop 'x * 7' 'y + x // 3' 'x ^ y'
start_xvfb 24 || skip "Xvfb did not start"
paint_desktop
park_pointer

RUNTIME=$WORK/run
mkdir -m 700 "$RUNTIME"
start_program / env -u WAYLAND_DISPLAY XDG_SESSION_TYPE=x11 XDG_RUNTIME_DIR="$RUNTIME" SDL_AUDIODRIVER=dummy mirthwick
wait_for_window 15
expect_desktop_shown 0 "the installed program shows the desktop"
[ -n "${MW_SHOTS:-}" ] && cp "$WORK/shot.png" "$MW_SHOTS/package-xvfb.png"

SNAPSHOT=$RUNTIME/mirthwick/1.bmp
expect_snapshot "$SNAPSHOT" 600
[ "$(stat -c %a "$RUNTIME/mirthwick")" = 700 ] || fail "the snapshot folder is not 0700"
[ -e /usr/share/mirthwick/Files/Img/1.bmp ] && fail "the snapshot was written into the installed data folder"
echo "ok: the snapshot is \$XDG_RUNTIME_DIR/mirthwick/1.bmp, folder 0700, file 0600"

quit_with_escape "Escape"
echo "PASS"
