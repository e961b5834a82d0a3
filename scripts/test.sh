#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test: the suite on the
# normal build, the suite again under AddressSanitizer and UBSan, each fuzz
# target for a short while (FUZZ_SECONDS each, default 20), the phone page
# with core's suites under node and the page in headless Chromium (DMX_WEB=0
# leaves it out), and last the Windows build under Wine (DMX_WINDOWS=0).
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"

summary="$(mktemp)"
prefix_log="$(mktemp)"
prefix_job=
trap '[ -z "$prefix_job" ] || kill -- -"$prefix_job" 2>/dev/null; rm -f "$summary" "$prefix_log"' EXIT

run_tests() {
    ctest --test-dir "$1" --output-on-failure -j "$(nproc)" | tee -a "$summary"
}

# gcc, like the normal build; Debug builds fastest and the suite is small.
run_sanitized() {
    local dir="$root/build-asan"
    cmake -S "$root" -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=Debug -DDMX_SANITIZE=ON >/dev/null
    quiet_build "$dir"
    ASAN_OPTIONS=detect_leaks=1:detect_stack_use_after_return=1 \
    LSAN_OPTIONS="suppressions=$root/tests/lsan.supp" \
    UBSAN_OPTIONS=print_stacktrace=1 \
        run_tests "$dir"
}

run_fuzz() {
    "$root/fuzz/run.sh" "${FUZZ_SECONDS:-20}"
}

# core in WebAssembly: its suites under node, the page in Chromium.
run_web() {
    "$root/scripts/web.sh" --test | tee -a "$summary"
}

# The Windows Qt, where none is cached, takes longer to build than all the
# other stages together and needs none of them: it builds at low priority
# beside them, in a session of its own so that an early end stops it.
start_windows_prefix() {
    ensure_source_entry "$(qt_source)"
    setsid "$root/scripts/windows.sh" --prefix >"$prefix_log" 2>&1 &
    prefix_job=$!
}

# The Windows program and its installer under Wine, once its Qt is there.
run_windows() {
    wait "$prefix_job" || true # a failed build is tried again, and its log shown, below
    prefix_job=
    grep -v '^Waiting' "$prefix_log" || true
    "$root/scripts/windows.sh" --test
}

# Runs one stage and says how long it took.
stage() {
    local start=$SECONDS
    "$@"
    echo "== $1: $((SECONDS - start)) s"
}

# One install for every stage: apt's own work (its index, the triggers) once.
wanted=("${packages[@]}" "${test_packages[@]}")
[ "${DMX_WEB:-1}" = 0 ] || wanted+=("${web_packages[@]}" "${web_check_packages[@]}")
[ "${DMX_WINDOWS:-1}" = 0 ] || wanted+=("${windows_packages[@]}" "${check_packages[@]}")
stage ensure_packages "${wanted[@]}"
[ "${DMX_WINDOWS:-1}" = 0 ] || start_windows_prefix
stage build
stage run_tests "$build_dir"
stage run_sanitized
stage run_fuzz
if [ "${DMX_WEB:-1}" != 0 ]; then
    stage run_web
fi
if [ "${DMX_WINDOWS:-1}" != 0 ]; then
    stage run_windows
fi

echo "== in all: $SECONDS s"
# One closing line for every run of the suite.
awk '/tests passed, .* tests failed out of/ { total += $NF; failed += $4 }
     END { printf "ctest: %d passed, %d failed\n", total - failed, failed }' "$summary"
