#!/usr/bin/env bash
# The main job: installs what is missing, builds, and runs meridia-cli on the built-in sample.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
"$root/scripts/setup.sh"
cmake -S "$root" -B "$root/build" -DCMAKE_BUILD_TYPE=Release -DMERIDIA_BUILD_TESTS=OFF \
    -DMERIDIA_BUILD_BENCH=OFF >/dev/null
cmake --build "$root/build" --parallel "$(nproc)" >/dev/null
exec "$root/build/bin/meridia-cli" sample "$@"
