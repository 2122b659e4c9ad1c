#!/usr/bin/env bash
# Installs the dependencies, builds and runs the whole suite: the sanitizer builds first,
# then the release build, whose ctest summary is the last line.
# Usage: scripts/test.sh [preset ...]   (default: asan tsan default)
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh libgtest-dev libbenchmark-dev pulseaudio pulseaudio-utils xvfb xdotool \
  imagemagick appstream desktop-file-utils dpkg-dev file

presets=("$@")
[ "${#presets[@]}" -gt 0 ] || presets=(asan tsan default)

for preset in "${presets[@]}"; do
  echo "=== $preset"
  cmake --preset "$preset" >/dev/null
  cmake --build --preset "$preset" -j"$(nproc)"
  ctest --preset "$preset" -j"$(nproc)" --no-label-summary
done
