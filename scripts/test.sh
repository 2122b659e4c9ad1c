#!/usr/bin/env bash
# Installs the dependencies, builds and runs the whole suite: the sanitizer builds first, a
# minute of fuzzing, then the release build, whose ctest summary is the last line.
# Usage: scripts/test.sh [preset ...]   (default: asan tsan fuzz default)
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh libgtest-dev libbenchmark-dev pulseaudio pulseaudio-utils xvfb xdotool \
  imagemagick appstream desktop-file-utils dpkg-dev file libx11-dev clang libclang-rt-14-dev

presets=("$@")
[ "${#presets[@]}" -gt 0 ] || presets=(asan tsan fuzz default)

for preset in "${presets[@]}"; do
  echo "=== $preset"
  if [ "$preset" = fuzz ]; then
    bash fuzz/run.sh 60
    continue
  fi
  cmake --preset "$preset" >/dev/null
  cmake --build --preset "$preset" -j"$(nproc)"
  ctest --preset "$preset" -j"$(nproc)" --no-label-summary
done
