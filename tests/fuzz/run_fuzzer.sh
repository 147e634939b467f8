#!/usr/bin/env bash
# Runs a fuzzer for a fixed time on a copy of its committed corpus, so that the corpus in the tree never
# grows, and fails with the fuzzer's report on a crash, a leak, a slow input or an excess of memory. The
# input at fault is kept in fuzz-artifacts/ beside the fuzzer; the closing line also goes to NAME.result.
# A dictionary TARGET.dict beside fuzz_TARGET is used when there is one.
#   run_fuzzer.sh FUZZER CORPUS SECONDS
set -euo pipefail
absolute() { echo "$(cd "$(dirname "$1")" && pwd)/$(basename "$1")"; }
fuzzer=$(absolute "$1") corpus=$2 seconds=$3
name=$(basename "$fuzzer")
dictionary="$(dirname "$fuzzer")/${name#fuzz_}.dict"
artifacts="$(dirname "$fuzzer")/fuzz-artifacts"
mkdir -p "$artifacts"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cp -R "$corpus" "$work/corpus"

options=(-max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -print_final_stats=1
         -artifact_prefix="$artifacts/$name-")
if [ -f "$dictionary" ]; then options+=(-dict="$dictionary"); fi
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1}
if ! (cd "$work" && "$fuzzer" "${options[@]}" "$work/corpus") >"$work/log" 2>&1; then
  cat "$work/log"
  echo "$name: FAILED after the report above; the input is in $artifacts"
  exit 1
fi
runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$work/log")
echo "$name: $runs runs in $seconds s, $(find "$corpus" -type f | wc -l) inputs grew to" \
  "$(find "$work/corpus" -type f | wc -l), no failure" | tee "$(dirname "$fuzzer")/$name.result"
