#!/bin/sh
# Runs a command on the X display under the openbox window manager, once
# openbox has taken the display over. An openbox that dies at its start (the
# display not yet ready on a loaded machine) is started again.
openbox --sm-disable >/dev/null 2>&1 &
wm=$!
tries=0
until xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id'; do
    tries=$((tries + 1))
    [ "$tries" -le 200 ] || { echo "openbox did not start" >&2; kill "$wm" 2>/dev/null; exit 1; }
    if ! kill -0 "$wm" 2>/dev/null; then
        openbox --sm-disable >/dev/null 2>&1 &
        wm=$!
    fi
    sleep 0.1
done
"$@"
status=$?
kill "$wm"
exit "$status"
