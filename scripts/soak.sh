#!/bin/sh
# The monkey soak for minutes on end: runs the soak test again and again with random
# seeds, taking the builds in turn, and prints every seed, the events per second and
# the totals. A failing run's seed is printed with the command that repeats it, and
# its log is kept.
#
# Usage: scripts/soak.sh [minutes] [build folder...]
#   minutes: how long to start new runs, 10 by default.
#   folders: build-asan and build-tsan by default. A folder whose name ends in "asan"
#   or "tsan" is configured as that sanitizer build when it is missing; the soak test
#   is brought up to date in each before the first run.
#   PADBOX_SOAK_EVENTS: events per run, 60000 by default.
set -eu
cd "$(dirname "$0")/.."
root=$(pwd)
minutes=${1:-10}
[ $# -gt 0 ] && shift
builds=${*:-build-asan build-tsan}
events=${PADBOX_SOAK_EVENTS:-60000}

for dir in $builds; do
    case $dir in
    *asan) sanitize=address ;;
    *tsan) sanitize=thread ;;
    *) sanitize= ;;
    esac
    [ -f "$dir/CMakeCache.txt" ] ||
        nice cmake -S . -B "$dir" -DPADBOX_SANITIZE="$sanitize" -DPADBOX_BENCH=OFF >/dev/null
    nice cmake --build "$dir" -j2 --target padbox_audio_tests >/dev/null
done

logs=$(mktemp -d "${TMPDIR:-/tmp}/padbox-soak-XXXXXX")
start=$(date +%s)
deadline=$((start + minutes * 60))
runs=0
failures=0
total_events=0
failed_seeds=

while [ "$(date +%s)" -lt "$deadline" ]; do
    for dir in $builds; do
        [ "$(date +%s)" -lt "$deadline" ] || break
        seed=$(od -An -N8 -tu8 /dev/urandom | tr -d ' ')
        log="$logs/$(basename "$dir")-$seed.log"
        # Each run gets a temporary folder of its own, removed afterwards, so even a
        # crashed run leaves no stage copy behind.
        tmp=$(mktemp -d "$logs/tmp-XXXXXX")
        status=0
        (cd "$dir/tests" && env TMPDIR="$tmp" PADBOX_SOAK_SEED="$seed" \
            PADBOX_SOAK_EVENTS="$events" ASAN_OPTIONS=detect_leaks=1 \
            TSAN_OPTIONS=halt_on_error=1 \
            LSAN_OPTIONS="suppressions=$root/tests/lsan.supp:print_suppressions=0" \
            nice ./padbox_audio_tests --gtest_filter='SoakTest.*') >"$log" 2>&1 || status=$?
        rm -rf "$tmp"
        runs=$((runs + 1))
        figures=$(sed -n 's/^soak: \([0-9]*\) events, .* in \([0-9.]*\) s (\([0-9]*\) events\/s).*/\1 events in \2 s, \3 events\/s/p' "$log")
        done_events=$(echo "$figures" | sed -n 's/^\([0-9]*\) events.*/\1/p')
        total_events=$((total_events + ${done_events:-0}))
        if [ "$status" -eq 0 ]; then
            echo "$dir seed $seed: ${figures:-no figures} ok"
            rm -f "$log"
        else
            failures=$((failures + 1))
            failed_seeds="$failed_seeds $dir:$seed"
            echo "$dir seed $seed: FAILED (status $status), log $log"
            echo "  again: (cd $dir/tests && PADBOX_SOAK_SEED=$seed PADBOX_SOAK_EVENTS=$events ./padbox_audio_tests --gtest_filter='SoakTest.*')"
        fi
    done
done

elapsed=$(($(date +%s) - start))
echo "soak: $runs runs, $total_events events in $elapsed s over $builds, $failures failed"
if [ "$failures" -gt 0 ]; then
    echo "failed seeds:$failed_seeds (logs in $logs)"
    exit 1
fi
rmdir "$logs" 2>/dev/null || true
