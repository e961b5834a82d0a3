# Shared by start.sh and test.sh: install what is missing, then build.
set -euo pipefail

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build_dir="$root/build"

# Packages the build and the tests need on Debian 12.
packages=(
    cmake ninja-build g++ pkg-config
    qt6-base-dev qt6-translations-l10n
    libgtest-dev
    libpugixml-dev libminizip-dev nlohmann-json3-dev libcsv-dev # the patch readers
    fonts-liberation # the windows' face, Liberation Sans Narrow
)
# What bench.sh needs on top: an X server to time the start-up on, and the
# headers of the X extension that reports drawing; python3 to time the sheet.
bench_packages=(xvfb xauth libxcb-damage0-dev python3)

# Only the tests need these: the Windows version record is compiled with
# windres, the desktop entry and metainfo validated, the .deb built, read and
# checked by lintian, the addressing sheet's PDF read back (pdfinfo, pdftotext);
# clang and its runtimes build the fuzz targets (gcc's sanitizers come with g++);
# a screen reader's stack (an X server, D-Bus, AT-SPI) reads the running tool,
# and Orca, played keys with xdotool, says what it hears;
# an X server and the openbox window manager show where a window comes back;
# DejaVu is the face of a desktop that lacks Liberation Sans Narrow.
test_packages=(
    python3 binutils-mingw-w64-x86-64 desktop-file-utils appstream dpkg-dev file lintian
    poppler-utils fonts-dejavu-core
    clang libclang-rt-14-dev
    xvfb xauth openbox x11-utils dbus-daemon dbus-bin at-spi2-core python3-pyatspi orca xdotool
    qlcplus-data # the fixture library's test reads QLC+'s own definitions
)

# The 64-bit compilers (not the 32-bit ones the mingw-w64 package adds), the
# installer maker and Wine; dpkg-dev unpacks the source packages; the build
# machine's Qt runs moc, rcc and uic and gives Qt's French texts; googletest
# is the source the Windows GoogleTest is built from.
windows_packages=(
    g++-mingw-w64-x86-64-posix nsis wine wine64 dpkg-dev cmake ninja-build
    qt6-base-dev qt6-translations-l10n googletest
)
# The checks: an X server and a window manager for the window, xdotool to
# type into it, poppler to read the PDFs back.
check_packages=(xvfb xauth openbox x11-utils xdotool poppler-utils)

# Installs only what is missing, so a second run asks apt nothing.
ensure_packages() {
    local missing=()
    for p in $(printf '%s\n' "$@" | sort -u); do
        dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' \
            || missing+=("$p")
    done
    [ ${#missing[@]} -eq 0 ] && return 0
    echo "Installing: ${missing[*]}"
    local sudo=()
    [ "$(id -u)" -eq 0 ] || sudo=(sudo)
    "${sudo[@]}" apt-get update -qq
    DEBIAN_FRONTEND=noninteractive "${sudo[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
}

# Builds in DIR without progress lines: only a compiler's messages, a failure,
# and nothing at all when there is nothing to rebuild.
quiet_build() {
    cmake --build "$1" "${@:2}" -- --quiet | { grep -vx 'ninja: no work to do\.' || true; }
}

build() {
    cmake -S "$root" -B "$build_dir" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo "$@" >/dev/null
    quiet_build "$build_dir"
}
