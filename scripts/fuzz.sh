#!/usr/bin/env bash
# Builds the libFuzzer targets of fuzz/ with clang (build-fuzz/, -DMERIDIA_FUZZ=ON) and runs
# each for a bounded time, two at a time, starting from its seed corpus (fuzz/corpus/<target>/)
# and its saved findings (fuzz/regressions/<target>/). Fails on a crash, a sanitizer report, a
# leak, an input that takes more than 10 seconds, or an allocation above 256 MiB; the input is
# then saved under build-fuzz/fuzz-work/<target>/.
#
# Usage: scripts/fuzz.sh [seconds-per-target] [target...]
# Without seconds, every target gets an equal share of 150 seconds of two-at-a-time running.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
cd "$root"

seconds="${1:-}"
if (($# > 0)); then
    shift
fi
if (($# > 0)); then
    targets=("$@")
else
    mapfile -t targets < <(find fuzz -maxdepth 1 -name 'fuzz_*.cpp' ! -name 'fuzz_session.cpp' \
        -printf '%f\n' | sed 's/\.cpp$//' | sort)
fi
parallel=2
if [[ -z "$seconds" ]]; then
    seconds=$((150 * parallel / ${#targets[@]}))
    ((seconds >= 5)) || seconds=5
fi

build="$root/build-fuzz"
CC=clang-14 CXX=clang++-14 cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=Debug \
    -DMERIDIA_FUZZ=ON -DMERIDIA_BUILD_BENCH=OFF >/dev/null
cmake --build "$build" --parallel "$(nproc)" --target "${targets[@]}"

export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
# The targets write their inputs as files; a memory file system keeps the safe writes' flushes
# to the disk from dominating the run.
if [[ -d /dev/shm && -w /dev/shm ]]; then
    export TMPDIR=/dev/shm
fi
work="$build/fuzz-work"

run_target() {
    local target="$1"
    local dir="$work/$target"
    mkdir -p "$dir/corpus"
    rm -f "$dir/log" "$dir/status" "$dir"/crash-* "$dir"/leak-* "$dir"/timeout-* "$dir"/oom-* \
        "$dir"/slow-unit-*
    local corpora=("$dir/corpus" "fuzz/corpus/$target")
    if [[ -d "fuzz/regressions/$target" ]]; then
        corpora+=("fuzz/regressions/$target")
    fi
    local status=0
    "$build/fuzz/$target" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 \
        -malloc_limit_mb=256 -print_final_stats=1 -artifact_prefix="$dir/" "${corpora[@]}" \
        >"$dir/log" 2>&1 || status=$?
    echo "$status" >"$dir/status"
}

mkdir -p "$work"
for target in "${targets[@]}"; do
    while (($(jobs -rp | wc -l) >= parallel)); do
        wait -n || true
    done
    run_target "$target" &
done
wait

failed=()
for target in "${targets[@]}"; do
    verdict=ok
    if [[ "$(cat "$work/$target/status" 2>/dev/null)" != 0 ]]; then
        failed+=("$target")
        verdict=FAILED
    fi
    runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$work/$target/log" 2>/dev/null | tail -1 || true)
    printf '%-24s %10s runs in %ss  %s\n' "$target" "${runs:-?}" "$seconds" "$verdict"
done

if ((${#failed[@]})); then
    for target in "${failed[@]}"; do
        echo "---- $target (log: $work/$target/log)"
        pattern='^==[0-9]+==ERROR|runtime error|fuzz property failed|ALARM|out-of-memory'
        if grep -qE "$pattern" "$work/$target/log"; then
            grep -m 2 -E -A30 "$pattern" "$work/$target/log" || true
        else
            tail -40 "$work/$target/log"
        fi
        ls "$work/$target" | grep -E '^(crash|leak|timeout|oom)-' || true
    done
    exit 1
fi
