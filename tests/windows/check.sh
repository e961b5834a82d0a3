#!/usr/bin/env bash
# The Windows program under Wine, on the X display it is started on (xvfb-run):
# the core and sheet tests, the command line against the Linux program's, the
# window, and the installer in and out again.
#   check.sh OUT CROSS_BUILD LINUX_PROGRAM
set -uo pipefail

out=$1 cross=$2 linux=$3
exe="$out/Corvane adresse DMX.exe"
caption="Corvane Adresse DMX Corvane V 0.3"
failed=0

# Wine hands the program its arguments, and hands on what it writes to a
# console, in the host's character set: UTF-8 here, whatever the caller's
# locale (none, C, French...), as the program writes UTF-8 everywhere.
export LC_ALL=C.UTF-8
unset LANG LANGUAGE

scratch=$(mktemp -d)
# Nothing of the caller's desktop: a home of this run's own, no session bus,
# no menu entries for the desktop (winemenubuilder), no offer to fetch Mono
# or Gecko.
export HOME="$scratch/home" XDG_RUNTIME_DIR="$scratch/runtime" XDG_CONFIG_HOME="$scratch/home/.config" \
       XDG_DATA_HOME="$scratch/home/.local/share" XDG_CACHE_HOME="$scratch/home/.cache"
unset DBUS_SESSION_BUS_ADDRESS
mkdir -p "$HOME" && mkdir -m 700 "$XDG_RUNTIME_DIR"
export WINEPREFIX="$scratch/wine" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
trap 'wineserver -k 2>/dev/null; rm -rf "$scratch"' EXIT

ok() { echo "ok    $1"; }
bad() { echo "FAIL  $1"; failed=1; }
check() { # NAME COMMAND...
    local name=$1
    shift
    if "$@"; then ok "$name"; else bad "$name"; fi
}

wine wineboot -i >/dev/null 2>&1
wineserver -w

# One file: it may load Windows' own DLLs only, none of the compiler's or Qt's.
self_contained() {
    local foreign
    foreign=$(x86_64-w64-mingw32-objdump -p "$exe" | sed -n 's/^\s*DLL Name: //p' | grep -iE '^(lib|qt|zlib)' )
    [ -z "$foreign" ] || { echo "   needs $foreign"; return 1; }
}
check "one file: Windows' own DLLs only" self_contained

# The tests, run as built; the sheet test starts the program itself.
for t in core_test plan_test rig_test; do
    check "$t under Wine" wine "$cross/$t.exe" --gtest_brief=1
done
# A GUI program's output under Wine reaches no terminal: QtTest writes a file.
sheet_test() {
    wine "$cross/sheet_test.exe" -o "$scratch/sheet_test.txt,txt" >/dev/null 2>&1 && return 0
    grep -A3 '^FAIL' "$scratch/sheet_test.txt"
    return 1
}
check "sheet_test under Wine" sheet_test

# Windows has Arial, and Office often Arial Narrow; their metric twins from
# fonts-liberation stand in, as the Linux sheet's face is Liberation Sans Narrow.
# Wine has no MS Sans Serif: the face the Linux windows use stands in.
for face in "Arial=Liberation Sans" "Arial Narrow=Liberation Sans Narrow" "MS Sans Serif=Liberation Sans Narrow"; do
    wine reg add 'HKCU\Software\Wine\Fonts\Replacements' /v "${face%%=*}" /d "${face#*=}" /f >/dev/null 2>&1
done
wineserver -w

# The command line: the same bytes as on Linux but for the line ends and the
# program as it was started, in the help's first line.
windows_text() { tr -d '\r' <"$1" | sed 's/^\(Utilisation : \).* \[options\]$/\1PROGRAMME [options]/'; }
# HOW ARGS...: the Windows program's output in w.out and w.err, through a
# file, a pipe or a console (script's terminal, wide and tall enough that
# nothing wraps or scrolls; both streams in w.out, the console's cursor
# escapes left out); its status is returned.
run_windows() {
    local how=$1 status
    shift
    case $how in
    file) wine "$exe" "$@" >"$scratch/w.out" 2>"$scratch/w.err" ;;
    pipe)
        wine "$exe" "$@" 2>"$scratch/w.err" | cat >"$scratch/w.out"
        return "${PIPESTATUS[0]}" ;;
    console)
        TERM=dumb script -qec "stty cols 500 rows 500; $(printf '%q ' wine "$exe" "$@")" /dev/null </dev/null >"$scratch/w.con"
        status=$?
        sed 's/\x1b\[[0-9;?]*[A-Za-z]//g' "$scratch/w.con" >"$scratch/w.out"
        : >"$scratch/w.err"
        return "$status" ;;
    esac
}
same_output() { # HOW ARGS...: standard output and status as the Linux program's
    local how=$1 status_w status_l
    shift
    run_windows "$how" "$@"
    status_w=$?
    "$linux" "$@" >"$scratch/l.out" 2>"$scratch/l.err"
    status_l=$?
    [ "$how" = console ] && cat "$scratch/l.err" >>"$scratch/l.out" && : >"$scratch/l.err"
    windows_text "$scratch/w.out" | cmp -s - <(windows_text "$scratch/l.out") \
        && windows_text "$scratch/w.err" | cmp -s - <(windows_text "$scratch/l.err") \
        && [ "$status_w" = "$status_l" ] \
        || { echo "   Wine ($status_w):"; cat "$scratch/w.out" "$scratch/w.err"; return 1; }
}
# UTF-8 whatever the output is: the same bytes in a file or a pipe, and a
# console switched to UTF-8 while the program writes.
for how in file pipe console; do
    check "--feuille 1,7,3 as on Linux, to a $how" same_output "$how" --feuille 1,7,3 --titre "Perche é"
done
check "--version as on Linux" same_output file --version
check "--help as on Linux" same_output file --help
bad_input() {
    same_output file --feuille 1,sept,3 || return 1
    wine "$exe" --feuille 1,sept,3 2>"$scratch/w.err" >/dev/null
    local status=$?
    [ "$status" -eq 2 ] \
        && [ "$(tr -d '\r' <"$scratch/w.err")" = "adresse-dmx : --feuille : « sept » n'est pas un nombre entier." ]
}
check "bad input: status 2 and the French line" bad_input
same_pdf() {
    (cd "$scratch" && wine "$exe" --feuille 480,10,40 --titre "Perche 2" -o w.pdf \
        && "$linux" --feuille 480,10,40 --titre "Perche 2" -o l.pdf) || return 1
    pdftotext "$scratch/w.pdf" "$scratch/w.txt" && pdftotext "$scratch/l.pdf" "$scratch/l.txt" \
        && cmp -s "$scratch/w.txt" "$scratch/l.txt" && [ -s "$scratch/w.txt" ]
}
check "the PDF's text as on Linux" same_pdf

# The window, under a window manager that gives it the keyboard: typing
# "100" in the address box sets switches 3, 4 and 7, which the program says
# as its window closes.
openbox --sm-disable >/dev/null 2>&1 &
wm=$!
window() {
    local start id
    start=$(date +%s%N)
    ADRESSE_DMX_SWITCHES=1 wine "$exe" >"$scratch/switches" 2>&1 &
    local program=$!
    id=$(timeout 60 xdotool search --sync --onlyvisible --name "^$caption\$" | head -n 1)
    [ -n "$id" ] || { echo "   no window named « $caption »"; kill "$program" 2>/dev/null; return 1; }
    echo "   the window showed after $((($(date +%s%N) - start) / 1000000)) ms"
    sleep 1
    xdotool windowactivate --sync "$id" && xdotool type --delay 100 100 && sleep 1
    [ -n "${WINDOW_PICTURE:-}" ] && import -window "$id" "$WINDOW_PICTURE"
    xdotool key alt+F4 # openbox closes the active window
    timeout 30 tail --pid="$program" -f /dev/null
    tr -d '\r' <"$scratch/switches" | grep -qx 'switches on: 3 4 7' \
        || { echo "   the program said: $(cat "$scratch/switches")"; return 1; }
}
check "the window: its caption, and \"100\" typed sets switches 3, 4, 7" window
kill "$wm" 2>/dev/null

# The installer, silently in and out: nothing of it may stay.
drive="$WINEPREFIX/drive_c"
# Files only: the uninstaller runs from a copy in an ~nsu*.tmp folder of the
# temporary folder, and Wine's simulated restart deletes files, not folders.
files() { find "$drive" -path "$drive/windows" -prune -o ! -type d -print | sort; }
installer() {
    local setup before programs menu
    setup=$(ls "$out"/adresse-dmx-*-setup.exe)
    files >"$scratch/before"
    wine "$setup" /S && wineserver -w || return 1
    programs=$(find "$drive/users" -path "*/AppData/Local/Programs/Corvane adresse DMX" -type d)
    menu=$(find "$drive/users" -name "Corvane adresse DMX.lnk")
    [ -f "$programs/Corvane adresse DMX.exe" ] && [ -f "$programs/uninstall.exe" ] && [ -n "$menu" ] \
        || { echo "   not installed: $programs, $menu"; return 1; }
    wine "$programs/uninstall.exe" /S && wineserver -w || return 1
    [ ! -e "$programs" ] || { echo "   $programs stayed"; return 1; }
    # The uninstaller ran from a copy in the temporary folder, which Windows
    # deletes at its next start: one is simulated.
    wine wineboot -r >/dev/null 2>&1
    wineserver -w
    files >"$scratch/after"
    diff "$scratch/before" "$scratch/after" >"$scratch/left" \
        || { echo "   left behind:"; sed 's/^/   /' "$scratch/left"; return 1; }
    ! wine reg query 'HKCU\Software\Microsoft\Windows\CurrentVersion\Uninstall\adresse-dmx' >/dev/null 2>&1 \
        || { echo "   the uninstall key stayed"; return 1; }
}
check "the installer installs and uninstalls silently, leaving nothing" installer

exit "$failed"
