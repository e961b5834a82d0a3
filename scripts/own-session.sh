# Sourced by the screen-reader checks, with nothing of the user's desktop:
# unless already inside, starts an X server and a private session bus, runs
# the calling script again inside them with the same arguments, and exits.
# The environment is set here, before the buses start, as the services they
# start (the accessibility bus, its registry) take the session bus's own: the
# same on a developer's desktop, a new machine with no locale, or CI.
if [ -z "${DMX_OWN_SESSION:-}" ]; then
    tmp=$(mktemp -d)
    # A locale with UTF-8, the screen reader's English, and home, settings and
    # runtime folders of this run's own; the user's are never touched.
    export LC_ALL=C.UTF-8 HOME=$tmp/home XDG_RUNTIME_DIR=$tmp/runtime XDG_CONFIG_HOME=$tmp/config \
           XDG_DATA_HOME=$tmp/data XDG_CACHE_HOME=$tmp/cache GSETTINGS_BACKEND=memory
    unset LANG LANGUAGE WAYLAND_DISPLAY AT_SPI_BUS_ADDRESS NO_AT_BRIDGE DBUS_SESSION_BUS_ADDRESS
    mkdir -p "$HOME" "$XDG_CONFIG_HOME" "$XDG_DATA_HOME" "$XDG_CACHE_HOME"
    mkdir -m 700 "$XDG_RUNTIME_DIR"
    # Xvfb picks a free display itself, so that runs side by side never
    # race for one.
    Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$tmp/display" 2>/dev/null &
    xvfb=$!
    trap 'kill "$xvfb"; rm -rf "$tmp"' EXIT
    for _ in $(seq 100); do
        [ -s "$tmp/display" ] && break
        sleep 0.1
    done
    [ -s "$tmp/display" ] || { echo "Xvfb did not start" >&2; exit 1; }
    export DISPLAY=":$(cat "$tmp/display")" DMX_OWN_SESSION=1
    # The buses start inside the X server, so that their services reach it;
    # their chatter about starting those services is left out.
    dbus-run-session -- "$0" "$@" \
        2> >(grep -v -e 'fd limit' -e 'ctivat' >&2) | grep -v 'SpiRegistry daemon'
    exit
fi
