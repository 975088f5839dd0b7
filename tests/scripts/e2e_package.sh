#!/usr/bin/env bash
# The installed package: cpack builds the Debian package, lintian finds no error in it, apt-get
# installs it, its metainfo, desktop entry and manual page pass their validators, and the installed
# program (found on PATH, its data in /usr/share/mirthwick) answers --version, shows the desktop
# under Xvfb pixel for pixel, keeps its snapshot private in the runtime folder, and quits with
# Escape. The package is removed again afterwards. Installing needs root: otherwise the test says
# so and is skipped.
# Usage: e2e_package.sh BUILD_DIR SOURCE_DIR
set -uo pipefail
BUILD=$(cd "${1:?build dir}" && pwd)
W=1280 H=720
TOP=40

source "$(dirname "$0")/lib/e2e.sh"
[ -x "$BUILD/mirthwick" ] || skip "the desktop program was not built"
[ -f "$BUILD/CPackConfig.cmake" ] || skip "the build has no packaging set up"
[ "$(id -u)" -eq 0 ] || skip "installing a package needs root"
require_tools cpack apt-get dpkg-shlibdeps Xvfb xdotool import convert display /usr/bin/python3 lintian appstreamcli \
  desktop-file-validate man
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
[ "$(dpkg-deb -f "$DEB" Version)" = 1.0.0 ] || fail "the package's version is $(dpkg-deb -f "$DEB" Version), not 1.0.0"
# Lintian: no error. The warnings that stay are listed in README ("Installing") with their reasons.
lintian --tag-display-limit 0 "$DEB" >"$WORK/lintian.log" 2>&1
grep '^E: ' "$WORK/lintian.log" && { cat "$WORK/lintian.log"; fail "lintian found errors in the package"; }
grep -v "running with root privileges" "$WORK/lintian.log" | sed 's/^/  lintian: /'
echo "ok: lintian finds no error in $(basename "$DEB")"
INSTALLED=1
(cd "$WORK/package" && DEBIAN_FRONTEND=noninteractive apt-get -o DPkg::Lock::Timeout=900 install -y -qq \
  "./$(basename "$DEB")" >"$WORK/apt.log" 2>&1) || { cat "$WORK/apt.log"; fail "apt-get could not install $(basename "$DEB")"; }
echo "ok: apt-get installed $(basename "$DEB")"
for file in /usr/bin/mirthwick /usr/share/mirthwick/Files/Img/fixedsys16x28.bmp \
    /usr/share/mirthwick/Files/Img/Consolas13x24-2.bmp /usr/share/mirthwick/Files/Sound/glassbreak.wav \
    /usr/share/applications/org.mirthwick.Mirthwick.desktop /usr/share/metainfo/org.mirthwick.Mirthwick.metainfo.xml \
    /usr/share/man/man6/mirthwick.6.gz /usr/share/doc/mirthwick/copyright /usr/share/doc/mirthwick/changelog.gz; do
  [ -f "$file" ] || fail "the package did not install $file"
done
for size in 16 32 48 64 128 256; do
  icon=/usr/share/icons/hicolor/${size}x${size}/apps/org.mirthwick.Mirthwick.png
  [ "$(identify -format '%wx%h' "$icon" 2>/dev/null)" = "${size}x${size}" ] || fail "no ${size}x${size} icon at $icon"
done
[ "$(ls /usr/share/mirthwick/Files/Sound/*.wav | wc -l)" = 12 ] || fail "the package lacks sounds"
desktop-file-validate /usr/share/applications/org.mirthwick.Mirthwick.desktop >"$WORK/desktop.log" 2>&1
[ -s "$WORK/desktop.log" ] && { cat "$WORK/desktop.log"; fail "desktop-file-validate is not content with the .desktop file"; }
appstreamcli validate --no-net /usr/share/metainfo/org.mirthwick.Mirthwick.metainfo.xml >"$WORK/appstream.log" 2>&1 ||
  { cat "$WORK/appstream.log"; fail "appstreamcli does not validate the metainfo"; }
grep -Eq '^(E|W|I):' "$WORK/appstream.log" && { cat "$WORK/appstream.log"; fail "appstreamcli has remarks on the metainfo"; }
MANWIDTH=80 man --warnings -l /usr/share/man/man6/mirthwick.6.gz >/dev/null 2>"$WORK/man.log"
[ -s "$WORK/man.log" ] && { cat "$WORK/man.log"; fail "the manual page renders with warnings"; }
for section in SYNOPSIS OPTIONS CONTROLS FILES ENVIRONMENT "EXIT STATUS"; do
  MANWIDTH=80 man -l /usr/share/man/man6/mirthwick.6.gz 2>/dev/null | grep -q "^$section" ||
    fail "the manual page has no $section section"
done
[ "$(mirthwick --version)" = "mirthwick 1.0.0" ] || fail "the installed program says '$(mirthwick --version)'"
echo "ok: program, data, .desktop file, icons, metainfo, man page, copyright and changelog are in place and valid"

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
