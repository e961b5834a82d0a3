#!/usr/bin/env bash
# Builds what the Windows build links into PREFIX, from Debian's own source
# packages with the mingw-w64 toolchain: a trimmed static Qt, and the static
# libraries core/ and its tests use. Each step leaves a stamp, so an
# interrupted run goes on where it stopped.
#   build-prefix.sh PREFIX [STEP...]    (steps: qt deps; default both)
set -euo pipefail

here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
prefix=$1
shift
steps=("$@")
[ $# -gt 0 ] || steps=(deps qt)
jobs=$(nproc)
src="$prefix/src"
mkdir -p "$prefix" "$src"
cp "$here/toolchain.cmake" "$prefix/toolchain.cmake"

source "$here/../source-package.sh"

# Configures, builds and installs one CMake project from SRC as a static library.
cmake_static() {
    local name=$1 dir=$2
    shift 2
    cmake -S "$dir" -B "$prefix/build/$name" -G Ninja -DCMAKE_BUILD_TYPE=Release \
        -DCMAKE_TOOLCHAIN_FILE="$prefix/toolchain.cmake" -DCMAKE_INSTALL_PREFIX="$prefix" \
        -DBUILD_SHARED_LIBS=OFF -DCMAKE_C_FLAGS=-w -DCMAKE_CXX_FLAGS=-w "$@" >/dev/null
    cmake --build "$prefix/build/$name" -j "${DEPS_JOBS:-$jobs}" -- --quiet
    cmake --install "$prefix/build/$name" >/dev/null
}

step() {
    local name=$1
    [ -e "$prefix/$name.done" ] && return 0
    local start=$SECONDS
    "build_$name"
    touch "$prefix/$name.done"
    echo "$name: $((SECONDS - start)) s"
}

# Debian's zlib source has no win32/ folder, and so no DLL resource: only the
# static library is built, and installed by hand under the name FindZLIB knows.
build_zlib() {
    local dir b="$prefix/build/zlib"
    dir=$(source_of zlib)
    cmake -S "$dir" -B "$b" -G Ninja -DCMAKE_BUILD_TYPE=Release \
        -DCMAKE_TOOLCHAIN_FILE="$prefix/toolchain.cmake" >/dev/null 2>&1
    cmake --build "$b" --target zlibstatic -j "${DEPS_JOBS:-$jobs}" -- --quiet
    mkdir -p "$prefix/include" "$prefix/lib"
    cp "$dir/zlib.h" "$b/zconf.h" "$prefix/include/"
    cp "$b/libzlibstatic.a" "$prefix/lib/libz.a"
}

# minizip, zlib's zip reader and writer, is three C files of zlib's source.
build_minizip() {
    local dir b="$prefix/build/minizip"
    dir=$(source_of zlib)/contrib/minizip
    mkdir -p "$b" "$prefix/include/minizip" "$prefix/lib"
    for f in ioapi unzip zip; do
        x86_64-w64-mingw32-gcc-posix -O2 -w -c "$dir/$f.c" -I "$prefix/include" -o "$b/$f.o"
    done
    x86_64-w64-mingw32-ar rcs "$prefix/lib/libminizip.a" "$b"/*.o
    cp "$dir/ioapi.h" "$dir/unzip.h" "$dir/zip.h" "$prefix/include/minizip/"
}

build_pugixml() {
    local dir
    dir=$(source_of pugixml)
    cmake_static pugixml "$dir" -DPUGIXML_BUILD_TESTS=OFF
}

# libcsv is one C file with an autotools build: compiled directly.
build_csv() {
    local dir
    dir=$(source_of libcsv)
    mkdir -p "$prefix/build/csv" "$prefix/include" "$prefix/lib"
    x86_64-w64-mingw32-gcc-posix -O2 -w -c "$dir/libcsv.c" -I "$dir" -o "$prefix/build/csv/libcsv.o"
    x86_64-w64-mingw32-ar rcs "$prefix/lib/libcsv.a" "$prefix/build/csv/libcsv.o"
    cp "$dir/csv.h" "$prefix/include/"
}

# Header-only: the build machine's package is the same for every target.
build_nlohmann() {
    cmake_static nlohmann "$(source_of nlohmann-json3)" -DJSON_BuildTests=OFF -DJSON_Install=ON
}

build_gtest() {
    # GoogleMock: no test uses it.
    cmake_static gtest /usr/src/googletest -DINSTALL_GTEST=ON -DBUILD_GMOCK=OFF -Dgtest_disable_pthreads=OFF
}

build_deps() {
    step zlib
    step minizip
    step pugixml
    step csv
    step nlohmann
    step gtest
}

# The build machine's Qt (the same version) runs moc, rcc and uic.
build_qt() {
    local dir options=()
    dir=$(source_of "qt6-base=$(dpkg-query -W -f='${source:Version}' qt6-base-dev)")
    mapfile -t options < <(grep -v '^#' "$here/qt-options" | tr ' ' '\n' | grep -v '^$')
    mkdir -p "$prefix/build/qt"
    # The configure step's summary and the compilers' remarks go to a log.
    (cd "$prefix/build/qt" && "$dir/configure" -prefix "$prefix" -xplatform win32-g++ \
        -qt-host-path /usr "${options[@]}" -- -G Ninja \
        -DQT_HOST_PATH_CMAKE_DIR="/usr/lib/$(dpkg-architecture -qDEB_HOST_MULTIARCH)/cmake" \
        -DCMAKE_TOOLCHAIN_FILE="$prefix/toolchain.cmake") > "$prefix/build/qt-configure.log" 2>&1 \
        || { tail -n 40 "$prefix/build/qt-configure.log" >&2; exit 1; }
    cmake --build "$prefix/build/qt" -j "$jobs" >"$prefix/build/qt-build.log" 2>&1 \
        || { grep -B2 -A20 '^FAILED' "$prefix/build/qt-build.log" | head -n 60 >&2; exit 1; }
    cmake --install "$prefix/build/qt" >/dev/null
}

for s in "${steps[@]}"; do
    step "$s"
done
