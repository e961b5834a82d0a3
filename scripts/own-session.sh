# Sourced by the screen-reader checks, with nothing of the user's desktop:
# unless already inside, starts an X server and a private session bus, runs
# the calling script again inside them with the same arguments, and exits.
if [ -z "${DMX_OWN_SESSION:-}" ]; then
    # Xvfb picks a free display itself, so that runs side by side never
    # race for one.
    tmp=$(mktemp -d)
    Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$tmp/display" 2>/dev/null &
    xvfb=$!
    trap 'kill "$xvfb"; rm -rf "$tmp"' EXIT
    for _ in $(seq 100); do
        [ -s "$tmp/display" ] && break
        sleep 0.1
    done
    [ -s "$tmp/display" ] || { echo "Xvfb did not start" >&2; exit 1; }
    export DISPLAY=":$(cat "$tmp/display")" DMX_OWN_SESSION=1
    unset WAYLAND_DISPLAY
    # The buses start inside the X server, so that their services reach it;
    # their chatter about starting those services is left out.
    dbus-run-session -- "$0" "$@" \
        2> >(grep -v -e 'fd limit' -e 'ctivat' >&2) | grep -v 'SpiRegistry daemon'
    exit
fi
