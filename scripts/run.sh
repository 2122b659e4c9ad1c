#!/usr/bin/env bash
# Installs what Tocolo needs to build and run (with sudo when not root), builds it and
# starts it on this desktop.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh nocheck
cmake --preset app >/dev/null
cmake --build --preset app -j"$(nproc)"
exec build/app/app/tocolo
