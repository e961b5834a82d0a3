#!/usr/bin/env bash
# Builds what the web page links into PREFIX, from Debian's own source
# packages with Debian's emscripten: zlib and its minizip, pugixml, libcsv,
# nlohmann-json and GoogleTest, as static WebAssembly libraries. emscripten's
# own ports would need the network, and Debian freezes its cache. Each step
# leaves a stamp, so an interrupted run goes on where it stopped.
#   build-prefix.sh PREFIX
set -euo pipefail

here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
prefix=$1
src="$prefix/src"
mkdir -p "$prefix/include/minizip" "$prefix/lib" "$src"
# Exceptions on: core catches what its JSON and XML libraries throw.
flags=(-O2 -w -fexceptions)

source "$here/../source-package.sh"

# C files compiled straight into one archive: zlib's CMake file would add a
# Windows resource on a system that is not UNIX.
archive() { # NAME DIR FILE...
    local name=$1 dir=$2 b="$prefix/build/$1"
    shift 2
    mkdir -p "$b"
    for f in "$@"; do
        emcc "${flags[@]}" -I "$prefix/include" -I "$dir" -c "$dir/$f.c" -o "$b/$f.o"
    done
    emar rcs "$prefix/lib/lib$name.a" "$b"/*.o
}

cmake_static() { # NAME DIR CMAKE-OPTION...
    local name=$1 dir=$2
    shift 2
    emcmake cmake -S "$dir" -B "$prefix/build/$name" -G Ninja -DCMAKE_BUILD_TYPE=Release \
        -DCMAKE_INSTALL_PREFIX="$prefix" -DBUILD_SHARED_LIBS=OFF \
        -DCMAKE_C_FLAGS="${flags[*]}" -DCMAKE_CXX_FLAGS="${flags[*]}" "$@" >/dev/null
    cmake --build "$prefix/build/$name" -- --quiet
    cmake --install "$prefix/build/$name" >/dev/null
}

build_zlib() {
    local dir
    dir=$(source_of zlib)
    archive z "$dir" adler32 compress crc32 deflate gzclose gzlib gzread gzwrite infback inffast \
        inflate inftrees trees uncompr zutil
    cp "$dir/zlib.h" "$dir/zconf.h" "$prefix/include/"
    archive minizip "$dir/contrib/minizip" ioapi unzip zip
    cp "$dir"/contrib/minizip/{ioapi,unzip,zip}.h "$prefix/include/minizip/"
}

build_pugixml() { cmake_static pugixml "$(source_of pugixml)" -DPUGIXML_BUILD_TESTS=OFF; }

build_csv() {
    local dir
    dir=$(source_of libcsv)
    archive csv "$dir" libcsv
    cp "$dir/csv.h" "$prefix/include/"
}

build_nlohmann() { cmake_static nlohmann "$(source_of nlohmann-json3)" -DJSON_BuildTests=OFF -DJSON_Install=ON; }

# GoogleMock: no test uses it. No threads on the page's wasm.
build_gtest() {
    cmake_static gtest /usr/src/googletest -DINSTALL_GTEST=ON -DBUILD_GMOCK=OFF -Dgtest_disable_pthreads=ON
}

for name in zlib pugixml csv nlohmann gtest; do
    [ -e "$prefix/$name.done" ] && continue
    start=$SECONDS
    "build_$name"
    touch "$prefix/$name.done"
    echo "$name: $((SECONDS - start)) s"
done
