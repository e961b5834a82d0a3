#!/usr/bin/env bash
# Installs what is missing, builds, and starts the tool.
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"

if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
    echo "adresse-dmx : aucun écran (DISPLAY et WAYLAND_DISPLAY sont vides) ; lancez l'outil depuis une session graphique." >&2
    exit 1
fi

ensure_packages "${packages[@]}"
build
exec "$build_dir/app/adresse-dmx" "$@"
