#!/usr/bin/env bash
# Builds "Corvane adresse DMX.exe" (one file, Qt linked in) and its installer
# adresse-dmx-<version>-setup.exe in build-windows/, cross-built with Debian's
# mingw-w64 against a static Qt made once from Debian's own qt6-base source
# and kept in a cache folder until its recipe (scripts/windows/) changes.
#   ./scripts/windows.sh          the program and its installer
#   ./scripts/windows.sh --test   the same, then the checks under Wine
#   ./scripts/windows.sh --prefix the cached Qt and libraries alone
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"

recipe="$root/scripts/windows"
out="$root/build-windows"
cross_build="$out/cmake"

# The cache key: the recipe, and the versions of the build machine's Qt (the
# source must be the same version) and of the cross compiler.
cache_key() {
    {
        cat "$recipe/build-prefix.sh" "$recipe/qt-options" "$recipe/toolchain.cmake" "$root/scripts/source-package.sh"
        dpkg-query -W qt6-base-dev g++-mingw-w64-x86-64-posix
    } | sha256sum | cut -c1-16
}

# TARGETS...: configures the cross build once and builds only those.
cross_build_targets() {
    local prefix=$1
    shift
    # A build made against an older prefix (gone with its recipe) starts over:
    # CMake keeps the first toolchain it was given.
    [ "$(cat "$cross_build/prefix" 2>/dev/null)" = "$prefix" ] || rm -rf "$cross_build"
    mkdir -p "$cross_build"
    echo "$prefix" >"$cross_build/prefix"
    cmake -S "$root" -B "$cross_build" -G Ninja -DCMAKE_BUILD_TYPE=Release \
        -DCMAKE_TOOLCHAIN_FILE="$prefix/lib/cmake/Qt6/qt.toolchain.cmake" \
        -DQT_CHAINLOAD_TOOLCHAIN_FILE="$prefix/toolchain.cmake" \
        -DADRESSE_DMX_QT_TRANSLATIONS=/usr/share/qt6/translations \
        -DADRESSE_DMX_BENCH=OFF \
        -DCMAKE_GTEST_DISCOVER_TESTS_DISCOVERY_MODE=PRE_TEST >/dev/null
    quiet_build "$cross_build" --target "$@"
}

project_version() {
    sed -n 's/^project(adresse-dmx VERSION \([0-9.]*\).*/\1/p' "$root/CMakeLists.txt"
}

# The version as the tool shows it: "3.00".
version_text() {
    local v=$1 major minor
    major=${v%%.*}
    minor=${v#*.}
    minor=${minor%%.*}
    printf '%s.%02d\n' "$major" "$minor"
}

make_installer() {
    local version license
    version=$(project_version)
    license="$cross_build/LICENSE.txt"
    sed 's/$/\r/' "$root/LICENSE" >"$license" # the licence page wants Windows line ends
    makensis -V2 -DVERSION="$version" -DVERSION_TEXT="$(version_text "$version")" \
        -DEXE="$out/Corvane adresse DMX.exe" -DLICENSE="$license" \
        -DOUTFILE="$out/adresse-dmx-$version-setup.exe" "$recipe/installer.nsi" >/dev/null
}

main() {
    local test=false
    [ "${1:-}" = --test ] && test=true
    local wanted=("${windows_packages[@]}")
    $test && wanted+=("${packages[@]}" "${check_packages[@]}")
    ensure_packages "${wanted[@]}"
    ensure_source_entry "$(qt_source)"

    local prefix start=$SECONDS
    prefix=$(cached_prefix windows "$(cache_key)" "Windows Qt" \
        "about 15 minutes on two free cores, longer on a busy machine" "$recipe/build-prefix.sh")
    [ "${1:-}" = --prefix ] && return 0
    local targets=(adresse-dmx)
    $test && targets+=(core_test plan_test rig_test sheet_test)
    cross_build_targets "$prefix" "${targets[@]}"
    # Qt puts a Windows build's programs together at the top, DLL-style.
    x86_64-w64-mingw32-strip -o "$out/Corvane adresse DMX.exe" "$cross_build/Corvane adresse DMX.exe"
    make_installer
    echo "== Windows build: $((SECONDS - start)) s; in $out:"
    for f in "$out"/*.exe; do
        printf '   %6d KB  %s\n' $(($(stat -c %s "$f") / 1024)) "${f##*/}"
    done

    if $test; then
        build # the Linux program the Windows one is compared with
        xvfb-run -a -s "-screen 0 1280x1024x24" \
            "$root/tests/windows/check.sh" "$out" "$cross_build" "$build_dir/app/adresse-dmx"
    fi
}

main "$@"
