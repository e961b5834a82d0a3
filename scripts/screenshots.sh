#!/usr/bin/env bash
# Regenerates the README's pictures of both windows, the sheet's dialog, the
# patch window, a sheet page and a rig sheet page (drawn by the command line,
# turned into PNGs by pdftoppm), headless.
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"

ensure_packages "${packages[@]}" poppler-utils xvfb xauth openbox x11-utils
build
mkdir -p "$root/docs"
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
pdf="$scratch/sheet.pdf"
# A small rig on two lines, as a spreadsheet writes it; the profiles chosen
# for it are kept in a scratch configuration folder, not the user's.
cat >"$scratch/patch.csv" <<'EOF'
Nom;Type;Mode;Univers;Adresse;Canaux
Face 1;PAR LED RGBW;8 canaux;1;1;8
Face 2;PAR LED RGBW;8 canaux;1;9;8
Face 3;PAR LED RGBW;8 canaux;1;17;8
Contre 1;Lyre wash;Standard;1;33;14
Contre 2;Lyre wash;Standard;1;47;14
Contre 3;Lyre wash;Standard;1;61;14
Cyclo 1;Cycliode;4 canaux;2;1;4
Cyclo 2;Cycliode;4 canaux;2;5;4
Cyclo 3;Cycliode;4 canaux;2;8;4
Cyclo 4;Cycliode;4 canaux;2;13;4
Douche;Gradateur;;2;40;
Latéral 1;Découpe;Standard;2;100;1
Latéral 2;Découpe;Standard;2;101;1
EOF
export XDG_CONFIG_HOME="$scratch/config"
QT_QPA_PLATFORM=offscreen "$build_dir/tools/screenshot" "$root/docs" "$scratch/patch.csv"
# The patch window as it opens on a small laptop's screen and on one at 200 %,
# under a window manager, the whole screen taken.
for screen in "1024x600 1" "1600x1000 2"; do
    set -- $screen
    QT_QPA_PLATFORM=xcb QT_SCALE_FACTOR=$2 xvfb-run -a -s "-screen 0 $1x24" "$root/tests/with_openbox.sh" \
        "$build_dir/tools/screenshot" --screen "$root/docs/rig-window-$1.png" "$scratch/patch.csv"
done
"$build_dir/app/adresse-dmx" --feuille 495,7,4 --titre "Perche 2, PAR LED" -o "$pdf"
pdftoppm -png -r 90 -f 1 -l 1 -singlefile "$pdf" "$root/docs/sheet"
"$build_dir/app/adresse-dmx" --patch "$scratch/patch.csv" --titre "Patch du spectacle" -o "$pdf"
pdftoppm -png -r 90 -f 1 -l 1 -singlefile "$pdf" "$root/docs/rig-sheet"
echo "Wrote colour-driver.png, other-fixture.png, sheet-dialog.png, sheet.png, rig-window.png," \
     "rig-window-1024x600.png, rig-window-1600x1000.png and rig-sheet.png in $root/docs"
