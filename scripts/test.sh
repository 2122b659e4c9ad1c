#!/usr/bin/env bash
# Installs the dependencies, builds and runs the whole suite: the sanitizer builds first, a
# minute of fuzzing, then the release build. There the whole-program timing tests run five
# times in a row and once more with both cores busy, and then the rest of the suite, whose
# ctest summary is the last line.
# Usage: scripts/test.sh [preset ...]   (default: asan tsan fuzz default)
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh

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
  if [ "$preset" = default ]; then
    echo "=== default: whole-program timing, five times in a row, then under load"
    ctest --preset default -R '^desktop_timing$' --repeat until-fail:5 --no-label-summary
    tests/desktop/under-load.sh ctest --preset default -R '^desktop_timing$' --no-label-summary
    echo "=== default: the whole suite (the timing tests above already ran six times)"
  fi
  # The whole-program timing is proven in the release build, where it runs six times; the
  # sanitizer builds run everything else.
  ctest --preset "$preset" -j"$(nproc)" --no-label-summary -E '^desktop_timing$'
done
