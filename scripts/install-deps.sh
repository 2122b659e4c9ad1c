#!/usr/bin/env bash
# Installs what Tocolo needs from Debian's packages, as debian/control lists it: with
# `nocheck` what the program needs to build and run, without it what the test suite needs
# as well. Run as root or with sudo. Does nothing when all of it is already installed.
# Usage: scripts/install-deps.sh [nocheck]
set -euo pipefail
cd "$(dirname "$0")/.."
case ${1:-} in
  "") profile=() ;;
  nocheck) profile=(-P nocheck) ;;
  *) echo "usage: scripts/install-deps.sh [nocheck]" >&2; exit 2 ;;
esac
sudo=""
[ "$(id -u)" -eq 0 ] || sudo=sudo
apt_get() { $sudo env DEBIAN_FRONTEND=noninteractive apt-get -y -q "$@"; }

updated=false
# dpkg-checkbuilddeps tells whether anything is missing without asking the network.
if ! command -v dpkg-checkbuilddeps >/dev/null; then
  $sudo apt-get update -q
  updated=true
  apt_get install dpkg-dev
fi
dpkg-checkbuilddeps "${profile[@]}" 2>/dev/null && exit 0
$updated || $sudo apt-get update -q
apt_get build-dep "${profile[@]}" ./
