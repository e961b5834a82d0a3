#!/bin/sh
# Runs a command on the X display under the openbox window manager, once
# openbox has taken the display over.
openbox --sm-disable >/dev/null 2>&1 &
wm=$!
tries=0
until xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id'; do
    tries=$((tries + 1))
    [ "$tries" -le 100 ] || { echo "openbox did not start" >&2; kill "$wm"; exit 1; }
    sleep 0.1
done
"$@"
status=$?
kill "$wm"
exit "$status"
