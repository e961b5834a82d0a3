#!/usr/bin/env bash
# Starts the tool under a screen reader's stack, with nothing of the user's
# desktop: an X server, a private session bus and the accessibility bus.
# Then screen_reader.py reads it over AT-SPI. Takes the program to check,
# by default the one in build/.
set -euo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
program=$(realpath "${1:-$here/../build/app/adresse-dmx}")

source "$here/own-session.sh"

pid=
trap 'kill $pid 2>/dev/null' EXIT
# Qt looks for the accessibility bus when it starts, so the bus runs first.
dbus-send --session --dest=org.a11y.Bus --print-reply /org/a11y/bus org.a11y.Bus.GetAddress >/dev/null
# On this X server whatever the caller's desktop, and heard by AT-SPI even
# where no screen reader has asked for it yet.
QT_QPA_PLATFORM=xcb QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1 "$program" &
pid=$!
/usr/bin/python3 "$here/screen_reader.py"
