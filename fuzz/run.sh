#!/usr/bin/env bash
# fuzz/run.sh <seconds>: builds the parser's fuzzer, runs it from the seeds for that long and
# fails on any crash, leak, timeout or broken invariant. libFuzzer's output goes to a log.
set -euo pipefail
seconds=${1:-}
if [[ ! $seconds =~ ^[1-9][0-9]*$ ]]; then
  echo "usage: fuzz/run.sh <seconds>" >&2
  exit 2
fi
cd "$(dirname "$0")/.."
build=build/fuzz
log=$build/fuzz.log

fail() {
  echo "fuzz: $1; tail of $2:" >&2
  tail -n 40 "$2" >&2
  exit 1
}

mkdir -p "$build"
cmake --preset fuzz >"$build/configure.log" 2>&1 || fail "configure failed" "$build/configure.log"
cmake --build --preset fuzz --target tocolo_wave_fuzzer tocolo_fuzz_corpus >"$build/build.log" 2>&1 ||
  fail "build failed" "$build/build.log"

# A fresh working corpus each run, so the seeds in the tree stay as checked in.
work=$build/corpus
artifacts=$build/artifacts
rm -rf "$work" "$artifacts"
mkdir -p "$work" "$artifacts"
cp fuzz/corpus/* "$build/res/sounds/"*.wav "$work/"

status=0
UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 "$build/fuzz/tocolo_wave_fuzzer" \
  -max_total_time="$seconds" -print_final_stats=1 -timeout=10 -dict=fuzz/wave.dict \
  -artifact_prefix="$artifacts/" "$work" >"$log" 2>&1 || status=$?
if ((status != 0)); then
  fail "exit $status, inputs kept in $artifacts" "$log"
fi

final_stat() { sed -n "s/^stat::$1: *//p" "$log"; }
last=$(grep -E '^#[0-9]+.*cov: ' "$log" | tail -n 1)
cov=$(sed -n 's/.* cov: \([0-9]*\).*/\1/p' <<<"$last")
ft=$(sed -n 's/.* ft: \([0-9]*\).*/\1/p' <<<"$last")
corp=$(sed -n 's/.* corp: \([^ ]*\).*/\1/p' <<<"$last")
echo "fuzz: $(final_stat number_of_executed_units) runs ($(final_stat average_exec_per_sec)/s)," \
  "cov: $cov, ft: $ft, corpus: $corp, no crash"
