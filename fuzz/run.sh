#!/usr/bin/env bash
# Builds the fuzz targets with clang in build-fuzz/ and runs each for a
# bounded time from the seeds in fuzz/corpus/<target>/.
#   fuzz/run.sh [seconds per target, default 20] [target...]
# Inputs found on the way go to a scratch folder that is removed afterwards,
# so the stored seeds stay as they are. An input that fails a check is kept
# as build-fuzz/artifacts/<target>-crash-...; rerun it with
# build-fuzz/fuzz/fuzz_<target> <that file>.
set -euo pipefail

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
seconds=${1:-20}
shift $(($# > 0 ? 1 : 0))
targets=("$@")
[ ${#targets[@]} -gt 0 ] || targets=(address number redraw sheet csv qxw mvr asc)
build="$root/build-fuzz"

cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DCMAKE_CXX_COMPILER=clang++ -DDMX_FUZZ=ON -DBUILD_TESTING=OFF >/dev/null
# No progress lines: only a compiler's messages or a failure.
cmake --build "$build" --target "${targets[@]/#/fuzz_}" -- --quiet \
    | { grep -vx 'ninja: no work to do\.' || true; }

scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
mkdir -p "$build/artifacts"

# Longer inputs only slow a run down: an address is at most three characters
# and a pattern nine, a redraw input has a few lines of them, a sheet input
# three numbers and a title, and a number needs some 310 digits (twice the
# bytes as UTF-16) to go past a double. A patch needs a few lines; an MVR
# seed holds two GDTF archives.
longest() {
    case $1 in
        address) echo 64 ;;
        redraw | sheet) echo 256 ;;
        csv | qxw | asc) echo 4096 ;;
        mvr) echo 16384 ;;
        *) echo 1024 ;;
    esac
}

for target in "${targets[@]}"; do
    mkdir "$scratch/$target"
    log="$scratch/$target.log"
    if ! "$build/fuzz/fuzz_$target" -max_total_time="$seconds" -max_len="$(longest "$target")" \
        -timeout=5 -print_final_stats=1 \
        -artifact_prefix="$build/artifacts/$target-" \
        "$scratch/$target" "$root/fuzz/corpus/$target" >"$log" 2>&1; then
        tail -n 40 "$log"
        echo "fuzz_$target: FAILED" >&2
        exit 1
    fi
    runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log")
    found=$(find "$scratch/$target" -type f | wc -l)
    echo "fuzz_$target: $runs runs in $seconds s, $found new inputs"
done
