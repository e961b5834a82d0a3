#!/usr/bin/env bash
# Installs what is missing, builds, and starts the tool.
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"

if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
    echo "adresse-dmx: no display (DISPLAY and WAYLAND_DISPLAY are unset); start it from a desktop session or under xvfb-run." >&2
    exit 1
fi

ensure_packages "${packages[@]}"
build
exec "$build_dir/app/adresse-dmx" "$@"
