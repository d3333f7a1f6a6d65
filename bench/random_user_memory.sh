#!/usr/bin/env bash
# random_user_memory.sh [build-dir] [seconds] [every]: memory of a long run of
# the window. Runs the random user (tests/reliability, RandomUserTest) for
# `seconds` (600 unless given) on the example and the damaged reports and
# prints the resident memory (VmRSS) and its peak so far (VmHWM) of the run
# every `every` seconds (30 unless given), then the lowest VmRSS of the first
# and of the last third of the run: the memory held between the peaks of
# single actions (a zoomed page, a print run), which must not grow with the run.
# Build it in a Release tree (default ./build-release); figures from a
# sanitizer build mean nothing.
set -euo pipefail

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build=$(cd "${1:-$root/build-release}" && pwd)
seconds=${2:-600}
every=${3:-30}
program="$build/tests/reliability/reliability_tests"
if [ ! -x "$program" ]; then
    echo "random_user_memory.sh: $program is missing; build the target reliability_tests in $build" >&2
    exit 2
fi

log=$(mktemp)
trap 'rm -f "$log"' EXIT
cd "$build/tests/reliability"
QT_QPA_PLATFORM=offscreen QUILLET_NONINTERACTIVE=1 QUILLET_RANDOM_USER_SECONDS=$seconds \
    "$program" --gtest_filter='RandomUserTest.*' >"$log" 2>&1 &
pid=$!

kib() { awk -v key="$1:" '$1 == key { print $2 }' "/proc/$pid/status" 2>/dev/null || true; }

echo "seconds  VmRSS(MiB)  VmHWM(MiB)"
start=$(date +%s)
first_low=""
last_low=""
hwm=0
mib() { echo "$1 / 1024" | bc -l; }
while kill -0 "$pid" 2>/dev/null; do
    sleep "$every"
    rss=$(kib VmRSS)
    [ -n "$rss" ] || break
    hwm=$(kib VmHWM)
    at=$(($(date +%s) - start))
    printf '%7d  %10.1f  %10.1f\n' "$at" "$(mib "$rss")" "$(mib "$hwm")"
    if [ "$at" -le $((seconds / 3)) ]; then
        if [ -z "$first_low" ] || [ "$rss" -lt "$first_low" ]; then first_low=$rss; fi
    elif [ "$at" -ge $((seconds * 2 / 3)) ]; then
        if [ -z "$last_low" ] || [ "$rss" -lt "$last_low" ]; then last_low=$rss; fi
    fi
done
status=0
wait "$pid" || status=$?
grep '^random user:' "$log" || true
if [ "$status" -ne 0 ]; then
    echo "random_user_memory.sh: the random user failed (status $status):" >&2
    tail -40 "$log" >&2
    exit 1
fi
if [ -n "$first_low" ] && [ -n "$last_low" ]; then
    printf 'lowest VmRSS: %.1f MiB in the first third, %.1f MiB in the last third; peak VmHWM %.1f MiB\n' \
        "$(mib "$first_low")" "$(mib "$last_low")" "$(mib "$hwm")"
fi
