#!/usr/bin/env bash
# The main job: installs what is missing, builds, and runs meridia-cli on the built-in sample.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
"$root/scripts/setup.sh"
cmake -S "$root" -B "$root/build" -DCMAKE_BUILD_TYPE=Release -DMERIDIA_BUILD_TESTS=OFF \
    -DMERIDIA_BUILD_BENCH=OFF >/dev/null
cmake --build "$root/build" --parallel "$(nproc)" >/dev/null
exec "$root/build/bin/meridia-cli" chart --name "Sample chart" --date "14 Mar 1879" --time "11:30" \
    --zone "-0:40" --place Ulm --country Germany --lat 48N24 --lon 10E00 "$@"
