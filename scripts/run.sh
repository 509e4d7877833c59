#!/usr/bin/env bash
# The main job: installs what is missing, builds, and opens Meridia's window on the built-in
# sample chart. Without a display it prints the sample chart's listing with meridia-cli and
# writes the sample wheel into build/sample-wheel.png instead, saying so.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
"$root/scripts/setup.sh"
cmake -S "$root" -B "$root/build" -DCMAKE_BUILD_TYPE=Release -DMERIDIA_BUILD_TESTS=OFF \
    -DMERIDIA_BUILD_BENCH=OFF >/dev/null
cmake --build "$root/build" --parallel "$(nproc)" >/dev/null
if [[ -n "${DISPLAY:-}" || -n "${WAYLAND_DISPLAY:-}" ]]; then
    exec "$root/build/bin/meridia" --sample "$@"
fi
sample=(--name "Sample chart" --date "14 Mar 1879" --time "11:30" --zone "-0:40" --place Ulm
        --country Germany --lat 48N24 --lon 10E00)
echo "No display: listing the sample chart and writing its wheel to build/sample-wheel.png."
"$root/build/bin/meridia-cli" chart "${sample[@]}" "$@"
QT_QPA_PLATFORM=offscreen "$root/build/bin/meridia-cli" wheel "${sample[@]}" \
    --out "$root/build/sample-wheel.png" >/dev/null
echo "Wheel written to $root/build/sample-wheel.png"
