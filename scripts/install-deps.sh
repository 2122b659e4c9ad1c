#!/usr/bin/env bash
# Installs what Tocolo needs to build from Debian 12's packages, plus any packages named as
# arguments. Run as root or with sudo.
set -euo pipefail
sudo=""
[ "$(id -u)" -eq 0 ] || sudo=sudo

build=(cmake g++ make pkg-config libpulse-dev libsdl2-dev qt6-base-dev qt6-wayland libwayland-dev fonts-ipafont-gothic)

missing=()
for p in "${build[@]}" "$@"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "ok installed" || missing+=("$p")
done
if [ "${#missing[@]}" -gt 0 ]; then
  $sudo apt-get update -q
  $sudo env DEBIAN_FRONTEND=noninteractive apt-get install -y -q "${missing[@]}"
fi
