#!/usr/bin/env bash
# Builds the Debian package from a clean copy of the tree with dpkg-buildpackage, has lintian
# check the package and the .changes, validates the menu entry and the metainfo, unpacks the
# .deb and checks that the licence, the manual page, the menu entry, the icons and the
# metainfo are where a desktop and the package manager look, all under the one application
# id, and that the package carries the version of the executable's version record.
# Usage: package-test.sh <source-dir>
set -uo pipefail

fail() {
  echo "package_deb: FAIL: $*" >&2
  exit 1
}

# A tool's report folded onto the one line that fail prints.
oneline() { tr -s '\n' ' ' <<<"$1"; }

[ $# -eq 1 ] || fail "usage: $0 <source-dir>"
src=$(cd "$1" 2>/dev/null && pwd) || fail "no source directory $1"
for tool in git dpkg-buildpackage lintian desktop-file-validate appstreamcli man file; do
  command -v "$tool" >/dev/null || fail "$tool not found (install the test dependencies)"
done

scratch=$(mktemp -d "${TMPDIR:-/tmp}/tocolo-package.XXXXXX") || fail "cannot create a scratch directory"
trap 'rm -rf "$scratch"' EXIT

# What the repository holds, with uncommitted edits but without build trees or anything
# ignored. dpkg-buildpackage writes its outputs beside the tree, so the tree goes one level
# down in the scratch directory.
tree=$scratch/tocolo
mkdir "$tree"
(cd "$src" && git ls-files -z --cached --others --exclude-standard |
  tar --null -T - --ignore-failed-read -cf - 2>/dev/null) | tar -C "$tree" -xf - ||
  fail "cannot copy the tree"
[ -f "$tree/debian/control" ] || fail "the copy of the tree has no debian/control"

# The tests that dh_auto_test runs are part of the suite already; the package is built
# without them.
if ! (cd "$tree" && DEB_BUILD_OPTIONS="nocheck parallel=$(nproc)" dpkg-buildpackage -us -uc -b) \
  >"$scratch/build.log" 2>&1; then
  fail "dpkg-buildpackage: $(grep -m3 -E 'error|Error|unmet' "$scratch/build.log" | tr -s '\n' ' ')"
fi

# The one version record: the executable's product version, "1, 0, 0, 2".
record=$(sed -n 's/.*productVersion = "\([0-9, ]*\)".*/\1/p' "$src/app/Version.h")
record=${record//, /.}
[ -n "$record" ] || fail "no productVersion in app/Version.h"
changelog=$(cd "$tree" && dpkg-parsechangelog -S Version)
[ "$changelog" = "$record" ] || fail "debian/changelog is at $changelog, the version record at $record"

arch=$(dpkg --print-architecture)
deb=$scratch/tocolo_${record}_$arch.deb
changes=$scratch/tocolo_${record}_$arch.changes
[ -f "$deb" ] || fail "no $(basename "$deb"); made: $(oneline "$(cd "$scratch" && ls)")"
[ -f "$changes" ] || fail "no $(basename "$changes")"

# Every tag lintian reports, down to the pedantic ones, is printed; an error or a warning
# fails the test.
tags=$(lintian -I -E --pedantic "$deb" "$changes" 2>/dev/null)
echo "lintian -I -E --pedantic: ${tags:-no tags}"
lintian --fail-on error,warning "$deb" "$changes" >/dev/null 2>&1 ||
  fail "lintian reports errors or warnings: $(oneline "$tags")"

field() { dpkg-deb -f "$deb" "$1"; }
[ "$(field Package)" = tocolo ] || fail "Package is '$(field Package)', expected tocolo"
[ "$(field Version)" = "$record" ] || fail "the .deb's Version is $(field Version), expected $record"
[ "$(field Section)" = sound ] || fail "Section is '$(field Section)', expected sound"
depends=$(field Depends)
# dpkg-shlibdeps puts the linked libraries there; the font is named by hand.
for p in libqt6widgets6 libpulse0 fonts-ipafont-gothic; do
  [[ ", $depends," == *", $p "* || ", $depends," == *", $p,"* ]] || fail "Depends lacks $p: $depends"
done
[ "$(field Recommends)" = "qt6-wayland, libsdl2-2.0-0" ] ||
  fail "Recommends is '$(field Recommends)', expected qt6-wayland, libsdl2-2.0-0"

root=$scratch/root
dpkg-deb -x "$deb" "$root" || fail "dpkg-deb -x could not unpack $(basename "$deb")"

stray=$(cd "$root" && find . -mindepth 1 -maxdepth 1 ! -name usr)
[ -z "$stray" ] || fail "files outside /usr: $stray"
exe=$root/usr/bin/tocolo
bins=$(cd "$root/usr/bin" && ls -A)
[ "$bins" = tocolo ] || fail "usr/bin holds '$(oneline "$bins")', expected tocolo alone"
file -b "$exe" | grep -q '^ELF .*executable' || fail "usr/bin/tocolo is not an ELF executable: $(file -b "$exe")"

copyright=$root/usr/share/doc/tocolo/copyright
grep -q '^License: GPL-3+' "$copyright" 2>/dev/null || fail "usr/share/doc/tocolo/copyright does not grant GPL-3+"
cmp -s "$src/LICENSE" /usr/share/common-licenses/GPL-3 || fail "LICENSE is not the GPL-3 text"

man=$root/usr/share/man/man1/tocolo.1.gz
[ -f "$man" ] || fail "usr/share/man/man1/tocolo.1.gz is missing"
warnings=$(LC_ALL=C.UTF-8 MANROFFSEQ='' MANWIDTH=80 man --warnings -E UTF-8 -l "$man" 2>&1 >/dev/null)
[ -z "$warnings" ] || fail "man --warnings: $(oneline "$warnings")"

id=io.github.tocolo.Tocolo
entry=$root/usr/share/applications/$id.desktop
[ -f "$entry" ] || fail "usr/share/applications/$id.desktop is missing"
# It exits 0 on hints, but a hint such as a missing main category hides the entry in menus.
if ! out=$(desktop-file-validate "$entry" 2>&1) || [ -n "$out" ]; then
  fail "desktop-file-validate: $(oneline "$out")"
fi
key() { sed -n "s/^$1=//p" "$entry"; }
[ "$(key Exec)" = tocolo ] || fail "the menu entry runs '$(key Exec)', expected tocolo"
[ "$(key Icon)" = "$id" ] || fail "the menu entry's Icon is '$(key Icon)', expected $id"

svg=$root/usr/share/icons/hicolor/scalable/apps/$id.svg
grep -q '<svg' "$svg" 2>/dev/null || fail "no SVG at usr/share/icons/hicolor/scalable/apps/$id.svg"
for size in 16 22 24 32 48 64 128 256; do
  png=$root/usr/share/icons/hicolor/${size}x${size}/apps/$id.png
  [ "$(file -b "$png" 2>/dev/null | grep -o "$size x $size")" = "$size x $size" ] ||
    fail "no ${size}x${size} PNG at usr/share/icons/hicolor/${size}x${size}/apps/$id.png"
done
others=$(cd "$root/usr/share/icons" && find . -type f ! -name "$id.png" ! -name "$id.svg")
[ -z "$others" ] || fail "icons under another name: $(oneline "$others")"

metainfo=$root/usr/share/metainfo/$id.metainfo.xml
[ -f "$metainfo" ] || fail "usr/share/metainfo/$id.metainfo.xml is missing"
grep -q "<id>$id</id>" "$metainfo" || fail "the metainfo does not carry the id $id"
grep -q "<launchable type=\"desktop-id\">$id.desktop</launchable>" "$metainfo" ||
  fail "the metainfo does not launch $id.desktop"
grep -q '<project_license>GPL-3.0-or-later</project_license>' "$metainfo" ||
  fail "the metainfo's project_license is not GPL-3.0-or-later"
grep -q '<metadata_license>CC0-1.0</metadata_license>' "$metainfo" ||
  fail "the metainfo's metadata_license is not CC0-1.0"
grep -q "<release version=\"$record\"" "$metainfo" || fail "the metainfo's release is not $record"
# The capital letter in the id is the one pedantic hint allowed: the id is the one the
# desktop file, the icon and the window share.
for check in "validate --pedantic --no-net $metainfo" "validate-tree --pedantic --no-net $root"; do
  # shellcheck disable=SC2086
  out=$(appstreamcli $check 2>&1) || fail "appstreamcli $check: $(oneline "$out")"
  hints=$(grep -E '^ *[EWIP]: ' <<<"$out" | grep -v 'cid-contains-uppercase-letter')
  [ -z "$hints" ] || fail "appstreamcli ${check%% *}: $(oneline "$hints")"
done
echo "appstreamcli: $(grep -E '^ *[EWIP]: ' <<<"$out" | tr -s '\n ' ' ')"

echo "package_deb: OK $(basename "$deb") ($record), Depends: $depends"
