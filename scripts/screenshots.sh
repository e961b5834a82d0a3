#!/usr/bin/env bash
# Regenerates the README's pictures of both windows, the sheet's dialog and a
# sheet page (drawn by the command line, turned into a PNG by pdftoppm), headless.
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"

ensure_packages "${packages[@]}" poppler-utils
build
mkdir -p "$root/docs"
QT_QPA_PLATFORM=offscreen "$build_dir/tools/screenshot" "$root/docs"
pdf=$(mktemp --suffix=.pdf)
trap 'rm -f "$pdf"' EXIT
"$build_dir/app/adresse-dmx" --feuille 495,7,4 --titre "Perche 2, PAR LED" -o "$pdf"
pdftoppm -png -r 90 -f 1 -l 1 -singlefile "$pdf" "$root/docs/sheet"
echo "Wrote colour-driver.png, other-fixture.png, sheet-dialog.png and sheet.png in $root/docs"
