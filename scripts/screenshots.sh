#!/usr/bin/env bash
# Regenerates the README's pictures of both windows, headless.
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"

ensure_packages "${packages[@]}"
build
mkdir -p "$root/docs"
QT_QPA_PLATFORM=offscreen "$build_dir/tools/screenshot" "$root/docs"
echo "Wrote $root/docs/colour-driver.png and $root/docs/other-fixture.png"
