#!/usr/bin/env bash
# Builds the .deb from the build tree into a scratch folder and checks what a
# user installing it gets: computed Depends and the windows' face, the program,
# a menu entry and metainfo that point at each other and at that program, the
# documents Debian asks for; and that lintian finds no error and no warning.
# usage: check_deb.sh BUILD_DIR WORK_DIR APP_ID
set -euo pipefail
build_dir=$1 work_dir=$2 app_id=$3

rm -rf "$work_dir"
mkdir -p "$work_dir"
cpack --config "$build_dir/CPackConfig.cmake" -G DEB -B "$work_dir" >"$work_dir/cpack.log" \
    || { cat "$work_dir/cpack.log"; exit 1; }

debs=("$work_dir"/adresse-dmx_*_*.deb)
[ ${#debs[@]} -eq 1 ] && [ -f "${debs[0]}" ] || { echo "expected one adresse-dmx_<version>_<arch>.deb in $work_dir"; exit 1; }
deb=${debs[0]}

fail=0
check() { # what, then the command that must succeed; its output only if it does not
    local what=$1 out; shift
    if out=$("$@" 2>&1); then echo "ok: $what"; else echo "FAILED: $what"; echo "$out"; fail=1; fi
}

check "package name" test "$(dpkg-deb -f "$deb" Package)" = adresse-dmx
depends=$(dpkg-deb -f "$deb" Depends)
echo "Depends: $depends"
check "Depends worked out from the linked libraries" grep -q 'libqt6widgets6 (>= ' <<<"$depends"
check "Depends on the windows' face" grep -qw 'fonts-liberation' <<<"$depends"

root="$work_dir/root"
dpkg-deb -x "$deb" "$root"
check "program in /usr/bin" test -x "$root/usr/bin/adresse-dmx"
desktop="$root/usr/share/applications/$app_id.desktop"
check "menu entry" test -f "$desktop"
check "metainfo" test -f "$root/usr/share/metainfo/$app_id.metainfo.xml"

exec_line=$(grep -m1 '^Exec=' "$desktop" || true)
program=${exec_line#Exec=}
program=${program%% *}
check "menu entry starts the packaged program ($exec_line)" test -x "$root/usr/bin/$program"

# Checks the metainfo against the tree: its launchable must be this menu entry.
check "AppStream tree" appstreamcli validate-tree --no-net --strict "$root"

check "manual page" test -f "$root/usr/share/man/man1/adresse-dmx.1.gz"
check "licence" grep -q '^License: GPL-3+' "$root/usr/share/doc/adresse-dmx/copyright"

# Pedantic and informational tags may stay; errors and warnings may not.
check "lintian: no error, no warning" lintian --pedantic --fail-on error,warning "$deb"

exit $fail
