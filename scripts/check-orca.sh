#!/usr/bin/env bash
# Runs the tool under the Orca screen reader, with nothing of the user's
# desktop: an X server with the openbox window manager, a private session
# bus and the accessibility bus, and Orca with its speech written down.
# Then orca_check.py plays keys and checks what Orca says. Takes the program
# to check, by default the one in build/.
set -euo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
program=$(realpath "${1:-$here/../build/app/adresse-dmx}")

source "$here/own-session.sh"

# Orca's settings, its speech and the logs.
run=$(mktemp -d)
pids=()
# Each process started here is asked to end, then made to after five seconds:
# a screen reader stuck on a bus must not hold the check up.
stop() {
    local status=$?
    set +e
    kill "${pids[@]}" 2>/dev/null
    for _ in $(seq 50); do
        local alive=
        for p in "${pids[@]}"; do kill -0 "$p" 2>/dev/null && alive=1; done
        [ -n "$alive" ] || break
        sleep 0.1
    done
    kill -9 "${pids[@]}" 2>/dev/null
    rm -rf "$run"
    exit "$status"
}
trap stop EXIT
mkdir -p "$run/prefs"

openbox --sm-disable >/dev/null 2>&1 &
pids+=($!)
dbus-send --session --dest=org.a11y.Bus --print-reply /org/a11y/bus org.a11y.Bus.GetAddress >/dev/null
for _ in $(seq 100); do
    xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id' && break
    sleep 0.1
done

/usr/bin/python3 "$here/orca_listener.py" "$run/prefs" "$run/speech" 2>"$run/orca.log" &
pids+=($!)
for _ in $(seq 300); do
    grep -qs '"ready"' "$run/speech" && break
    kill -0 "${pids[-1]}" 2>/dev/null || { cat "$run/orca.log" >&2; echo "Orca did not start" >&2; exit 1; }
    sleep 0.1
done
grep -qs '"ready"' "$run/speech" || { echo "Orca did not start within 30 s" >&2; exit 1; }

QT_QPA_PLATFORM=xcb QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1 "$program" 2>"$run/program.err" &
pids+=($!)
/usr/bin/python3 -u "$here/orca_check.py" "$run/speech" "$run/program.err" || {
    status=$?
    echo "Orca's last messages:" >&2
    tail -n 20 "$run/orca.log" >&2
    exit "$status"
}
