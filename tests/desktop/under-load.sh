#!/usr/bin/env bash
# Runs a command while two busy processes keep both cores of the machine loaded, the way a
# build or a browser loads a user's desktop, and ends them with it.
# Usage: under-load.sh <command> [<argument>...]
set -uo pipefail
busy=()
for _ in 1 2; do
  sh -c 'while :; do :; done' &
  busy+=($!)
done
trap 'kill "${busy[@]}" 2>/dev/null' EXIT
"$@"
