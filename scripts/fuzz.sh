#!/usr/bin/env bash
# fuzz.sh [SECONDS]: builds the fuzz targets (format loader, data reader, page
# engine) with clang, libFuzzer, AddressSanitizer and UndefinedBehaviorSanitizer
# and runs each for SECONDS seconds (60 by default) from the seed corpus the
# build writes. Prints the executions, executions per second and coverage of
# each target; exits non-zero when a crash or any sanitizer report was found
# (the input is kept in $BUILD_DIR/fuzz-findings).
set -euo pipefail

SECONDS_EACH=${1:-60}
if ! [[ "$SECONDS_EACH" =~ ^[0-9]+$ ]] || [ "$SECONDS_EACH" -lt 1 ]; then
    echo "usage: $0 [SECONDS]" >&2
    exit 2
fi
ROOT=$(cd "$(dirname "$0")/.." && pwd)
BUILD_DIR=${BUILD_DIR:-$ROOT/build-fuzz}

# Bounds-checked standard containers make an index past an array a crash.
CC=clang CXX=clang++ cmake -G Ninja -S "$ROOT" -B "$BUILD_DIR" \
    -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_FLAGS=-D_GLIBCXX_ASSERTIONS \
    -DQUILLET_FUZZ=ON -DQUILLET_WITH_QT=OFF -DQUILLET_TESTS=OFF -DQUILLET_BENCH=OFF >/dev/null
ninja -C "$BUILD_DIR" -j2 format_loader_fuzz data_reader_fuzz page_engine_fuzz fuzz_seed_corpus

WORK="$BUILD_DIR/fuzz-work"
FINDINGS="$BUILD_DIR/fuzz-findings"
rm -rf "$WORK" "$FINDINGS"
mkdir -p "$WORK" "$FINDINGS"
cp -r "$BUILD_DIR/fuzz-seeds/format" "$BUILD_DIR/fuzz-seeds/data" "$BUILD_DIR/fuzz-seeds/engine" "$WORK/"

status=0
# Inputs may grow to 2 MB, past the 1 MB pieces the data totals are summed in.
run() {
    local target=$1 corpus=$2 log="$WORK/$1.log"
    local rc=0
    # Short allocation stacks: recording them is a good part of each run.
    ASAN_OPTIONS=malloc_context_size=8 UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1 "$BUILD_DIR/fuzz/$target" -max_total_time="$SECONDS_EACH" -timeout=20 -rss_limit_mb=4096 \
        -max_len=2097152 -print_final_stats=1 \
        -artifact_prefix="$FINDINGS/$target-" "$corpus" >"$log" 2>&1 || rc=$?
    local runs
    runs=$(grep -Eo 'stat::number_of_executed_units: *[0-9]+' "$log" | grep -Eo '[0-9]+$' | tail -1 || true)
    if [ -z "$runs" ]; then
        runs=$(grep -Eo 'Done [0-9]+ runs' "$log" | grep -Eo '[0-9]+' | tail -1 || true)
    fi
    local cov
    cov=$(grep -Eo 'cov: [0-9]+ ft: [0-9]+' "$log" | tail -1 || true)
    echo "$target: ${runs:-unknown} executions in $SECONDS_EACH s ($(( ${runs:-0} / SECONDS_EACH ))/s)," \
        "${cov:-cov: unknown}, corpus $(ls "$corpus" | wc -l) inputs"
    # A report the sanitizers recovered from is as much a finding as a crash.
    local reports
    reports=$(grep -cE 'runtime error:|ERROR: [A-Za-z]*Sanitizer|WARNING: [A-Za-z]*Sanitizer|SUMMARY: [A-Za-z]*Sanitizer' "$log" || true)
    if [ "$rc" -ne 0 ] || [ "${reports:-0}" -ne 0 ]; then
        echo "$target: CRASH (exit $rc, $reports sanitizer report lines); log $log, inputs in $FINDINGS" >&2
        grep -E 'ERROR|SUMMARY|fuzz check failed|runtime error' "$log" | head -5 >&2 || true
        status=1
    fi
}
run format_loader_fuzz "$WORK/format"
run data_reader_fuzz "$WORK/data"
run page_engine_fuzz "$WORK/engine"
exit $status
