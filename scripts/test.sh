#!/usr/bin/env bash
# The whole test suite: installs what is missing, checks formatting, runs clang-tidy over the
# project's sources (scripts/tidy.py), builds with AddressSanitizer and
# UndefinedBehaviorSanitizer with compiler warnings as errors, runs every test, then runs every
# fuzz target for a bounded time (scripts/fuzz.sh).
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
"$root/scripts/setup.sh"

cd "$root"
mapfile -t sources < <(git ls-files '*.cpp' '*.h' 2>/dev/null || find src tests bench tools -name '*.cpp' -o -name '*.h')
if ((${#sources[@]})); then
    clang-format --dry-run --Werror "${sources[@]}"
fi

build="$root/build-test"
cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=Debug -DMERIDIA_SANITIZE=ON \
    -DMERIDIA_BUILD_BENCH=ON -DMERIDIA_WERROR=ON >/dev/null
"$root/scripts/tidy.py" "$build"
cmake --build "$build" --parallel "$(nproc)"
export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1
export LSAN_OPTIONS="suppressions=$root/scripts/lsan.supp"
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
export QT_QPA_PLATFORM=offscreen
ctest --test-dir "$build" --output-on-failure --parallel "$(nproc)" --no-tests=error
"$root/scripts/fuzz.sh"
