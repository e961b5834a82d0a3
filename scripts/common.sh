# Shared by start.sh and test.sh: install what is missing, then build.
set -euo pipefail

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build_dir="$root/build"

# Packages the build and the tests need on Debian 12.
packages=(
    cmake ninja-build g++ pkg-config
    qt6-base-dev qt6-translations-l10n
    libgtest-dev
    libpugixml-dev libminizip-dev zlib1g-dev nlohmann-json3-dev libcsv-dev # the patch readers
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
# The phone page: emscripten and the node it runs on, the libraries' sources
# (dpkg-dev unpacks them), googletest for core's suites; its checks run in
# Debian's Chromium, driven through its WebDriver.
web_packages=(emscripten dpkg-dev cmake ninja-build googletest)
web_check_packages=(chromium chromium-driver python3)

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

as_root() {
    if [ "$(id -u)" -eq 0 ]; then "$@"; else sudo "$@"; fi
}

# apt-get source needs source entries for the release the machine runs. They
# are made from its own binary entries (its mirror or proxy, its suites and
# keys), those of the Debian release only: other archives may have no sources.
source_entries() { # CODENAME FORMAT(list|sources) FILE...
    awk -v suite="^($1|stable|oldstable)(-[a-z]+)?\$" -v format="$2" '
        function flush() {
            if (types ~ /(^| )deb( |$)/ && enabled != "no" && suites) print para "\n"
            para = ""; types = ""; suites = 0; enabled = ""
        }
        format == "list" {
            if ($1 != "deb") next
            n = 2
            if ($2 ~ /^\[/) { while ($n !~ /\]$/) n++; n++ }
            if ($(n + 1) ~ suite) { sub(/^[ \t]*deb/, "deb-src"); print }
            next
        }
        /^#/ { next }
        /^[ \t]*$/ { flush(); next }
        {
            field = tolower($1)
            if (field == "types:") { types = $0; sub(/^[^:]*:[ \t]*/, "", types); $0 = "Types: deb-src" }
            if (field == "enabled:") enabled = tolower($2)
            if (field == "suites:") for (i = 2; i <= NF; i++) if ($i ~ suite) suites = 1
            para = para (para ? "\n" : "") $0
        }
        END { if (format == "sources") flush() }
    ' "${@:3}" /dev/null
}

# The source package of the installed Qt, which the Windows Qt is built from.
qt_source() {
    echo "qt6-base=$(dpkg-query -W -f='${source:Version}' qt6-base-dev)"
}

# PACKAGE[=VERSION]: a source package the prefix needs, which apt must find.
ensure_source_entry() {
    local wanted=$1
    apt-get source --print-uris -qq "$wanted" >/dev/null 2>&1 && return 0
    local codename list parts
    codename=$(. /etc/os-release && echo "$VERSION_CODENAME")
    eval "$(apt-config shell list Dir::Etc::sourcelist/f parts Dir::Etc::sourceparts/d)"
    local f lists=() stanzas=() one_line deb822
    for f in "$list" "$parts"*.list "$parts"*.sources; do
        case ${f##*/} in
        adresse-dmx-src.*) ;;
        *.sources) [ -f "$f" ] && stanzas+=("$f") ;;
        *) [ -f "$f" ] && lists+=("$f") ;;
        esac
    done
    one_line=$(source_entries "$codename" list "${lists[@]}")
    deb822=$(source_entries "$codename" sources "${stanzas[@]}")
    if [ -n "$one_line$deb822" ]; then
        echo "Adding source entries for $codename, from apt's own entries, to $parts"
        as_root rm -f "${parts}adresse-dmx-src.list" "${parts}adresse-dmx-src.sources"
        [ -z "$one_line" ] || echo "$one_line" | as_root tee "${parts}adresse-dmx-src.list" >/dev/null
        [ -z "$deb822" ] || echo "$deb822" | as_root tee "${parts}adresse-dmx-src.sources" >/dev/null
        as_root apt-get update -qq || true
        apt-get source --print-uris -qq "$wanted" >/dev/null 2>&1 && return 0
    fi
    echo "No source package $wanted can be had: add a deb-src entry for the Debian archive this machine installs from (sources.list(5)) to $parts, then run this again." >&2
    exit 1
}

# NAME: where a prefix built once (windows, web) is kept, across clones.
cache_folder() {
    if [ -n "${ADRESSE_DMX_CACHE:-}" ]; then
        echo "$ADRESSE_DMX_CACHE/$1"
    elif [ -w /var/cache ]; then
        echo /var/cache/adresse-dmx-$1
    else
        echo "${XDG_CACHE_HOME:-$HOME/.cache}/adresse-dmx-$1"
    fi
}

# Builds a prefix once with BUILDER (run as BUILDER PREFIX) into the cache
# folder NAME under KEY, and prints it. The long build runs at low priority
# and writes its log beside the prefix; one build at a time, a second run
# waits for the first one's prefix. Only the installed prefix is kept: the
# sources and build trees weigh gigabytes. Older recipes' prefixes go too.
cached_prefix() { # NAME KEY WHAT HOW-LONG BUILDER: the messages' words
    local cache prefix log start=$SECONDS
    cache=$(cache_folder "$1")
    prefix="$cache/$2"
    log="$prefix.log"
    mkdir -p "$cache"
    exec 9>"$cache/.lock"
    flock -n 9 || { echo "Waiting for another run that builds the $3..." >&2; flock 9; }
    if [ ! -e "$prefix/complete" ]; then
        printf 'Building the %s once (%s); its log:\n   %s\n' "$3" "$4" "$log" >&2
        if ! nice -n 10 "$5" "$prefix" >"$log" 2>&1; then
            tail -n 30 "$log" >&2
            echo "The $3 failed to build; its log: $log" >&2
            exit 1
        fi
        rm -rf "$prefix/src" "$prefix/build"
        find "$cache" -mindepth 1 -maxdepth 1 ! -name "$(basename "$prefix")*" ! -name .lock -exec rm -rf {} +
        touch "$prefix/complete"
        echo "== $3 built in $((SECONDS - start)) s" >&2
    fi
    exec 9>&-
    echo "$prefix"
}
