#!/usr/bin/env bash
# Start-up and batch cost of meridia-cli, measured as whole processes from outside:
#   - a do-nothing program linked with Qt Core (bench/qt_core_noop.cpp), the baseline;
#   - `meridia-cli chart` of one typed chart (readable and --json);
#   - `meridia-cli chart --file PATH --all --json` over a file of many charts (charts/s).
# Goals: one chart within 8 ms of the baseline; the batch at 1,000 charts/s or more.
# Usage: bench/cli_startup.sh [--runs N] [--charts N] [--check]
#   --check exits 1 when a goal is missed. BUILD_DIR overrides the Release build folder.
# Every run uses a fresh temporary user-files and configuration folder. Medians of wall time
# are reported with the mean CPU time (user + system) of the same runs: on a busy machine the
# CPU time is the steadier figure.
set -euo pipefail
export LC_ALL=C  # $EPOCHREALTIME with a decimal point
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="${BUILD_DIR:-$root/build}"
runs=40
chart_count=2000
check=0
while (($#)); do
    case "$1" in
        --runs) runs="$2"; shift 2 ;;
        --charts) chart_count="$2"; shift 2 ;;
        --check) check=1; shift ;;
        *) echo "usage: $0 [--runs N] [--charts N] [--check]" >&2; exit 2 ;;
    esac
done

cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=Release -DMERIDIA_BUILD_TESTS=OFF \
    -DMERIDIA_BUILD_BENCH=ON >/dev/null
cmake --build "$build" --parallel "$(nproc)" --target meridia-cli qt_core_noop make_chart_file \
    >/dev/null

work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
export HOME="$work/home" XDG_CONFIG_HOME="$work/config" XDG_DOCUMENTS_DIR="$work/documents"
mkdir -p "$HOME"
cli="$build/bin/meridia-cli"
noop="$build/bench/qt_core_noop"
user=(--user-dir "$work/user")
chart=(chart --name "Sample chart" --date "14 Mar 1879" --time "11:30" --zone "-0:40"
       --lat 48N24 --lon 10E00)

# measure NAME CMD...: runs the command $runs times (after one warm-up run); sets the globals
# median_ms and cpu_ms and prints a line.
measure() {
    local name="$1"
    shift
    "$@" >/dev/null
    local -a wall=()
    local before after
    cpu_children_ms
    before="$cpu_now"
    for ((i = 0; i < runs; i++)); do
        local start end
        start="${EPOCHREALTIME/./}"
        "$@" >/dev/null
        end="${EPOCHREALTIME/./}"
        wall+=($((end - start)))
    done
    cpu_children_ms
    after="$cpu_now"
    median_ms="$(printf '%s\n' "${wall[@]}" | sort -n |
        awk '{a[NR] = $1} END {printf "%.2f", a[int((NR + 1) / 2)] / 1000}')"
    cpu_ms="$(awk -v a="$after" -v b="$before" -v n="$runs" 'BEGIN {printf "%.2f", (a - b) / n}')"
    printf '%-34s median %8.2f ms   cpu %8.2f ms\n' "$name" "$median_ms" "$cpu_ms"
}

# Sets cpu_now to the user plus system CPU time of this shell's finished children, in
# milliseconds. `times` runs in this shell (in a command substitution it would report the
# subshell's children).
cpu_children_ms() {
    times >"$work/times"
    cpu_now="$(awk 'NR == 2 {
        split($1, u, "m"); split($2, s, "m");
        printf "%.3f", (u[1] * 60 + u[2] + s[1] * 60 + s[2]) * 1000 }' "$work/times")"
}

echo "runs per figure: $runs"
measure "qt_core_noop" "$noop"
noop_ms="$median_ms" noop_cpu="$cpu_ms"
measure "meridia-cli --help" "$cli" --help
measure "meridia-cli chart" "$cli" "${user[@]}" "${chart[@]}"
chart_ms="$median_ms" chart_cpu="$cpu_ms"
measure "meridia-cli chart --json" "$cli" "${user[@]}" "${chart[@]}" --json
json_ms="$median_ms" json_cpu="$cpu_ms"

file="$work/batch.MDcht"
"$build/bench/make_chart_file" "$file" "$chart_count"
lines="$("$cli" "${user[@]}" chart --file "$file" --all --json | wc -l)"
if ((lines != chart_count)); then
    echo "batch printed $lines lines for $chart_count charts" >&2
    exit 1
fi
saved_runs="$runs"
runs=5
measure "chart --file --all --json ($chart_count)" "$cli" "${user[@]}" chart --file "$file" --all --json
runs="$saved_runs"
rate="$(awk -v n="$chart_count" -v ms="$median_ms" 'BEGIN {printf "%.0f", n / (ms / 1000)}')"

over="$(awk -v a="$chart_ms" -v b="$noop_ms" 'BEGIN {printf "%.2f", a - b}')"
over_json="$(awk -v a="$json_ms" -v b="$noop_ms" 'BEGIN {printf "%.2f", a - b}')"
over_cpu="$(awk -v a="$chart_cpu" -v b="$noop_cpu" 'BEGIN {printf "%.2f", a - b}')"
over_json_cpu="$(awk -v a="$json_cpu" -v b="$noop_cpu" 'BEGIN {printf "%.2f", a - b}')"
echo
echo "chart over the baseline:        $over ms wall ($over_cpu ms cpu), goal 8 ms"
echo "chart --json over the baseline: $over_json ms wall ($over_json_cpu ms cpu), goal 8 ms"
echo "batch:                          $rate charts/s, goal 1000"

if ((check)); then
    awk -v o="$over" -v j="$over_json" -v r="$rate" 'BEGIN {exit !(o <= 8 && j <= 8 && r >= 1000)}' ||
        { echo "goal missed" >&2; exit 1; }
fi
