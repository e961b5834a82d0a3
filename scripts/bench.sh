#!/usr/bin/env bash
# Times the start-up against a bare Qt window, each kind of user event, and
# the command line writing a 512-fixture addressing sheet as PDF, the rig
# sheet of an MVR scene of 2,000 fixtures on 28 lines, and the patch readers'
# peak memory on inputs near their limits.
# Usage: ./scripts/bench.sh [START-UP RUNS [EVENTS OF EACH KIND]]
#        ./scripts/bench.sh sheet [RUNS]     (the two sheets alone, a few seconds)
# Prints Markdown tables for docs/performance.md.
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"

ensure_packages "${packages[@]}" "${bench_packages[@]}"
build >&2

if [ "${1:-}" = sheet ]; then
    python3 "$root/scripts/bench_sheet.py" "$build_dir/app/adresse-dmx" "${2:-11}" "$build_dir/tools/make-rig"
    exit
fi

runs=${1:-21}
events=${2:-2000}

echo "Machine: $(nproc) cores, $(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2- | sed 's/^ //');" \
     "load average before: $(cut -d' ' -f1-3 /proc/loadavg)"
echo "Command: ./scripts/bench.sh $runs $events"
if awk -v l="$(cut -d' ' -f1 /proc/loadavg)" 'BEGIN { exit !(l > 0.5) }'; then
    echo "(The machine is busy: the figures, the 99th percentiles most, will be high.)"
fi
echo

# Both programs get the same environment and the same X server, which the
# harness watches for their first frame.
runtime_dir=$(mktemp -d)
trap 'rm -rf "$runtime_dir"' EXIT
env -u QT_QPA_PLATFORM XDG_RUNTIME_DIR="$runtime_dir" \
    xvfb-run -a -s "-screen 0 1280x1024x24 -nolisten tcp" \
    "$build_dir/bench/bench-startup" -n "$runs" \
    "bare Qt window (QLabel)=$build_dir/bench/bench-bare-window" \
    "adresse-dmx=$build_dir/app/adresse-dmx"
echo

XDG_RUNTIME_DIR="$runtime_dir" QT_QPA_PLATFORM=offscreen "$build_dir/bench/bench-events" "$events"
echo

python3 "$root/scripts/bench_sheet.py" "$build_dir/app/adresse-dmx" 11 "$build_dir/tools/make-rig"
echo

"$build_dir/bench/bench-readers"
