#!/usr/bin/env bash
# Builds the phone page into build-web/ with Debian's emscripten: core in
# WebAssembly and the page's files, ready for any static HTTPS host. Its
# libraries come from Debian's own source packages, built once into a cache
# folder until their recipe (scripts/web/) changes.
#   ./scripts/web.sh          the page
#   ./scripts/web.sh --test   the same, then core's suites under node and the
#                             page's checks in headless Chromium as a phone
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"

recipe="$root/scripts/web"
out="$root/build-web"
cross_build="$out/cmake"

# emcc finds Debian's acorn there, whichever node is first on the PATH.
export NODE_PATH=/usr/share/nodejs${NODE_PATH:+:$NODE_PATH}

cache_key() {
    {
        cat "$recipe/build-prefix.sh" "$root/scripts/source-package.sh"
        dpkg-query -W emscripten googletest
    } | sha256sum | cut -c1-16
}

main() {
    local test=false
    [ "${1:-}" = --test ] && test=true
    local wanted=("${web_packages[@]}")
    $test && wanted+=("${web_check_packages[@]}")
    ensure_packages "${wanted[@]}"
    ensure_source_entry zlib

    local prefix start=$SECONDS
    prefix=$(cached_prefix web "$(cache_key)" "web libraries" "about a minute" "$recipe/build-prefix.sh")
    [ "$(cat "$cross_build/prefix" 2>/dev/null)" = "$prefix" ] || rm -rf "$cross_build"
    mkdir -p "$cross_build"
    echo "$prefix" >"$cross_build/prefix"
    # emcmake's own way, without the line it prints. The tests run under
    # node without fetch(): emscripten 3.1.6's glue would read the wasm file
    # with it where node has one (18 and later), and it takes no file path.
    cmake -S "$root" -B "$cross_build" -G Ninja -DCMAKE_BUILD_TYPE=MinSizeRel \
        -DCMAKE_TOOLCHAIN_FILE="$(em-config EMSCRIPTEN_ROOT)/cmake/Modules/Platform/Emscripten.cmake" \
        -DCMAKE_FIND_ROOT_PATH="$prefix" -DCMAKE_PREFIX_PATH="$prefix" \
        -DDMX_WEB_SITE="$out/site" -DBUILD_TESTING="$($test && echo ON || echo OFF)" \
        "-DCMAKE_CROSSCOMPILING_EMULATOR=$(command -v node);--no-experimental-fetch" \
        -DCMAKE_GTEST_DISCOVER_TESTS_DISCOVERY_MODE=PRE_TEST >/dev/null
    quiet_build "$cross_build"
    echo "== web build: $((SECONDS - start)) s; the page in $out/site:"
    for f in core.wasm core.js page.js page.css index.html; do
        printf '   %6d KB  %6d KB gzipped  %s\n' $(($(stat -c %s "$out/site/$f") / 1024)) \
            $(($(gzip -9c "$out/site/$f" | wc -c) / 1024)) "$f"
    done

    if $test; then
        (cd "$cross_build" && ctest --output-on-failure -j "$(nproc)") | sed -n "/tests passed/,\$p"
        python3 "$root/tests/web/check.py" "$out/site"
    fi
}

main "$@"
