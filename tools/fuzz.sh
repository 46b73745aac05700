#!/usr/bin/env bash
# Runs every fuzz target for SECONDS seconds each and prints, per target, the executions and the
# findings (crashes, leaks, time-outs, running out of memory). Exits non-zero on any finding.
#
#   tools/fuzz.sh [-j JOBS] SECONDS [TARGET...]
#
# Builds the fuzz preset first (clang, libFuzzer, AddressSanitizer, UndefinedBehaviorSanitizer)
# in build/fuzz, or in $TOVRENIC_BUILD_ROOT/fuzz when that is set. Each target starts from a
# copy of its seed corpus in fuzz/corpus/<target>, so the committed seeds do not grow; whatever
# it finds is kept in <build>/findings/<target>/ with libFuzzer's log. JOBS targets run side by
# side (default 1).
set -euo pipefail
cd "$(dirname "$0")/.."

jobs=1
if [[ ${1:-} == -j ]]; then
  jobs=$2
  shift 2
fi
seconds=${1:-}
[[ $seconds =~ ^[0-9]+$ ]] || { echo "usage: tools/fuzz.sh [-j JOBS] SECONDS [TARGET...]" >&2; exit 2; }
shift
targets=("$@")
if [[ ${#targets[@]} -eq 0 ]]; then
  targets=(fuzz_text_primitives fuzz_request_headers fuzz_response_decoding fuzz_regex_object
           fuzz_pinyin)
fi

build=${TOVRENIC_BUILD_ROOT:-build}/fuzz
cmake --preset fuzz -B "$build" >/dev/null
cmake --build "$build" -j "${TOVRENIC_JOBS:-2}" --target tovrenic_fuzzers

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# One target: its own corpus copy, findings folder and log. libFuzzer stops at the first
# finding and writes it to the artifact folder.
run_target() {
  local target=$1 findings=$build/findings/$1
  rm -rf "$findings"
  mkdir -p "$findings" "$work/$target"
  cp fuzz/corpus/"$target"/* "$work/$target"/
  local status=0
  ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
    "$build/fuzz/$target" -max_total_time="$seconds" -timeout=30 -rss_limit_mb=2048 \
    -print_final_stats=1 -artifact_prefix="$findings/" "$work/$target" \
    >"$findings/fuzz.log" 2>&1 || status=$?
  echo "$status" >"$findings/status"
}

running=0
for target in "${targets[@]}"; do
  [[ -x $build/fuzz/$target ]] || { echo "no such fuzz target: $target" >&2; exit 2; }
  run_target "$target" &
  running=$((running + 1))
  if [[ $running -ge $jobs ]]; then
    wait -n
    running=$((running - 1))
  fi
done
wait

failed=0
for target in "${targets[@]}"; do
  findings=$build/findings/$target
  executions=$(sed -n 's/^stat::number_of_executed_units: *//p' "$findings/fuzz.log" | tail -n 1)
  count=$(find "$findings" -maxdepth 1 -type f \( -name 'crash-*' -o -name 'leak-*' \
            -o -name 'timeout-*' -o -name 'oom-*' \) | wc -l)
  status=$(cat "$findings/status")
  # A run that ended badly without leaving an input behind still counts as a finding.
  if [[ $status -ne 0 && $count -eq 0 ]]; then count=1; fi
  echo "$target: ${executions:-0} executions, $count findings"
  if [[ $count -ne 0 ]]; then
    failed=1
    echo "  log and inputs: $findings" >&2
    grep -E -m 8 'ERROR|runtime error|\*\*\* |SUMMARY|Test unit written' "$findings/fuzz.log" |
      sed 's/^/  /' >&2 || true
  fi
done
exit "$failed"
