#!/usr/bin/env bash
# Builds the fuzz targets (fuzz preset) and runs each for a fixed time from its
# seed corpus; fails when any target reports a finding (crash, sanitizer report,
# broken check, timeout, memory limit).
#
#   tools/fuzz.sh [SECONDS [TARGET ...]]     (default: 30 seconds, every target)
#
# FUZZ_JOBS=n runs n targets at once (default 1). New inputs, logs and the
# inputs of findings go to build/fuzz/runs/<target>/. The limits: 10 s for one
# input, 2048 MB resident, 1024 MB in one allocation.
set -euo pipefail
cd "$(dirname "$0")/.."
secs=${1:-30}
shift || true
targets=("$@")
[ ${#targets[@]} -gt 0 ] || targets=(fil2list readinp obs monwrite monplot)
jobs=${FUZZ_JOBS:-1}

cmake --preset fuzz >/dev/null
cmake --build --preset fuzz -j2 >/dev/null

root=$PWD
run_one() {
    local t=$1 work=$root/build/fuzz/runs/$1
    rm -rf "$work"
    mkdir -p "$work/new" "$work/tmp" "$work/findings"
    # A smaller quarantine of freed memory than the default 256 MB: the readers
    # run half again as fast, and 64 MB still outlasts any one call's memory.
    TMPDIR=$work/tmp UBSAN_OPTIONS=print_stacktrace=1 ASAN_OPTIONS=${ASAN_OPTIONS:-quarantine_size_mb=64} \
        "$root/build/fuzz/fuzz/fuzz_$t" \
        -max_total_time="$secs" -timeout=10 -rss_limit_mb=2048 -malloc_limit_mb=1024 \
        -print_final_stats=1 -artifact_prefix="$work/findings/" \
        "$work/new" "$root/fuzz/corpus/$t" >"$work/log" 2>&1
}

pids=()
for t in "${targets[@]}"; do
    run_one "$t" &
    pids+=($!)
    if [ ${#pids[@]} -ge "$jobs" ]; then wait "${pids[0]}" || true; pids=("${pids[@]:1}"); fi
done
wait || true

failed=0
printf '%-10s %12s %10s %8s  %s\n' target executions "per sec" "new" result
for t in "${targets[@]}"; do
    work=build/fuzz/runs/$t
    runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$work/log" | tail -1)
    rate=$(sed -n 's/^stat::average_exec_per_sec: *//p' "$work/log" | tail -1)
    found=$(find "$work/findings" -type f | head -1)
    result=ok
    if [ -n "$found" ] || ! grep -q '^Done [0-9]* runs' "$work/log"; then
        result="FINDING ${found:-see $work/log}"
        failed=1
    fi
    printf '%-10s %12s %10s %8s  %s\n' "$t" "${runs:-?}" "${rate:-?}" "$(find "$work/new" -type f | wc -l)" "$result"
done
if [ $failed -ne 0 ]; then
    echo "fuzzing found faults: the logs are build/fuzz/runs/<target>/log" >&2
fi
exit $failed
