#!/usr/bin/env bash
# Builds the Debian package from a configured and built tree, unpacks it into a scratch root
# and checks that a desktop would find the program, its menu entry, icon and metainfo there.
# Usage: package-test.sh <build-dir>
set -uo pipefail

fail() {
  echo "package_deb: FAIL: $*" >&2
  exit 1
}

# A tool's report folded onto the one line that fail prints.
oneline() { tr -s '\n' ' ' <<<"$1"; }

[ $# -eq 1 ] || fail "usage: $0 <build-dir>"
build=$(cd "$1" 2>/dev/null && pwd) || fail "no build directory $1"
[ -f "$build/CPackConfig.cmake" ] || fail "$build has no CPackConfig.cmake (configured without the app?)"

# CPack needs both to work out Depends; name them rather than let cpack fail obscurely.
command -v dpkg-shlibdeps >/dev/null || fail "dpkg-shlibdeps not found (Debian package dpkg-dev)"
command -v file >/dev/null || fail "file not found (Debian package file)"
command -v appstreamcli >/dev/null || fail "appstreamcli not found (Debian package appstream)"

scratch=$(mktemp -d "${TMPDIR:-/tmp}/tocolo-package.XXXXXX") || fail "cannot create a scratch directory"
trap 'rm -rf "$scratch"' EXIT

# A private output directory, so a concurrent cpack or an old package cannot be picked up.
if ! (cd "$build" && cpack -G DEB --config CPackConfig.cmake -B "$scratch/out") >"$scratch/cpack.log" 2>&1; then
  fail "cpack: $(grep -m1 -i 'error' "$scratch/cpack.log" || tail -n1 "$scratch/cpack.log")"
fi
debs=("$scratch"/out/*.deb)
{ [ ${#debs[@]} -eq 1 ] && [ -f "${debs[0]}" ]; } || fail "cpack made ${#debs[@]} .deb files, expected 1"
deb=${debs[0]}

# Control fields.
field() { dpkg-deb -f "$deb" "$1"; }
[ "$(field Package)" = tocolo ] || fail "Package is '$(field Package)', expected tocolo"
version=$(field Version)
[[ $version == 1.0.0.2* ]] || fail "Version is '$version', expected 1.0.0.2..."
depends=$(field Depends)
[ -n "$depends" ] || fail "Depends is empty"
# Only dpkg-shlibdeps puts the linked libraries there; without them it silently did nothing.
for p in libqt6widgets6 libpulse0 fonts-ipafont-gothic; do
  [[ ", $depends," == *", $p "* || ", $depends," == *", $p,"* ]] || fail "Depends lacks $p: $depends"
done
# The fallback output is loaded only where it is needed.
[ "$(field Recommends)" = libsdl2-2.0-0 ] || fail "Recommends is '$(field Recommends)', expected libsdl2-2.0-0"

root=$scratch/root
dpkg -x "$deb" "$root" || fail "dpkg -x could not unpack $(basename "$deb")"

# Everything under /usr, where the desktop and the package manager look; nothing from the
# build's generators next to the program.
stray=$(cd "$root" && find . -mindepth 1 -maxdepth 1 ! -name usr)
[ -z "$stray" ] || fail "files outside /usr: $stray"
exe=$root/usr/bin/tocolo
{ [ -f "$exe" ] && [ -x "$exe" ]; } || fail "usr/bin/tocolo is missing or not executable"
bins=$(cd "$root/usr/bin" && ls -A)
[ "$bins" = tocolo ] || fail "usr/bin holds '$(oneline "$bins")', expected tocolo alone"
file -b "$exe" | grep -q '^ELF .*executable' || fail "usr/bin/tocolo is not an ELF executable: $(file -b "$exe")"

entry=$root/usr/share/applications/tocolo.desktop
[ -f "$entry" ] || fail "usr/share/applications/tocolo.desktop is missing"
if command -v desktop-file-validate >/dev/null; then
  # It exits 0 on hints, but a hint such as a missing main category hides the entry in menus.
  if ! out=$(desktop-file-validate "$entry" 2>&1) || [ -n "$out" ]; then
    fail "desktop-file-validate: $(oneline "$out")"
  fi
fi
grep -qx 'Exec=tocolo' "$entry" || fail "the desktop entry does not run tocolo"

icon=$(sed -n 's/^Icon=//p' "$entry")
svg=$root/usr/share/icons/hicolor/scalable/apps/tocolo.svg
[ "$icon" = tocolo ] || fail "the desktop entry's Icon=$icon does not name the installed tocolo.svg"
[ -s "$svg" ] || fail "usr/share/icons/hicolor/scalable/apps/tocolo.svg is missing or empty"
grep -q '<svg' "$svg" || fail "tocolo.svg holds no <svg> element"
for size in 16 22 24 32 48 64 128 256; do
  png=$root/usr/share/icons/hicolor/${size}x${size}/apps/tocolo.png
  [ "$(file -b "$png" 2>/dev/null | grep -o "$size x $size")" = "$size x $size" ] ||
    fail "no ${size}x${size} PNG at usr/share/icons/hicolor/${size}x${size}/apps/tocolo.png"
done

metainfo=("$root"/usr/share/metainfo/*.metainfo.xml)
{ [ ${#metainfo[@]} -eq 1 ] && [ -f "${metainfo[0]}" ]; } || fail "expected one file in usr/share/metainfo"
id=$(basename "${metainfo[0]}" .metainfo.xml)
grep -q "<id>$id</id>" "${metainfo[0]}" || fail "$id.metainfo.xml does not carry the id $id"
out=$(appstreamcli validate --no-net "${metainfo[0]}" 2>&1) || fail "appstreamcli validate: $(oneline "$out")"
# The package and the AppStream release both carry the version record's product version.
grep -q "<release version=\"$version\"" "${metainfo[0]}" || fail "the metainfo's release is not $version"
# The tree check also finds the desktop entry the metainfo launches.
out=$(appstreamcli validate-tree --no-net "$root" 2>&1) || fail "appstreamcli validate-tree: $(oneline "$out")"

echo "package_deb: OK $(basename "$deb") ($version), Depends: $depends"
