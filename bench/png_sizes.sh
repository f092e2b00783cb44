#!/bin/sh
# Builds the benchmark icon sets into PNG sheets with --png-optimize and runs
# the lossless PNG optimisers found on PATH on the very same sheet, printing
# one markdown table of bytes and wall-clock seconds side by side.
#   bench/png_sizes.sh [BUILD_DIR] [extra tessolo-cli options, e.g. --png-optimize=max]
# Installs nothing: a column whose tool is missing shows "–". The sets (from
# scripts/install-deps.sh): the silk icon set (1 000 icons of 16 px), the
# flag set (247 flags) and "large" (200 silk icons resized to 256 px).
# SETS and LAYOUTS in the environment pick some of them, e.g. to run the
# slow large set in another process: SETS=large LAYOUTS="grid packed".
set -e
build="${1:-build}"; [ $# -gt 0 ] && shift
. "$(dirname "$0")/size_runs.sh"
make_set silk "$silk" 1000
make_set flags "$flags" 1000
make_set large "$silk" 200

echo "| sheet | --png-optimize | zopflipng -m | optipng -o7 | ImageMagick |"
echo "|---|---|---|---|---|"
for set in ${SETS:-silk flags large}; do
  [ -n "$(ls "$work/$set")" ] || { echo "| $set | – (set not installed) | – | – | – |"; continue; }
  resize=none; [ "$set" = large ] && resize=256x256
  for layout in ${LAYOUTS:-horizontal vertical grid packed}; do
    for background in white transparent; do
      sheet="$work/out/$set-$layout-$background.png"
      ours=$(measure "$sheet" "$cli" --quiet --settings "$work/store" --name "$set-$layout-$background" \
        --out "$work/out" --css-out "$work/css" --type png --png-optimize --resize "$resize" \
        --layout "$layout" --background "$background" "$@" "$work/$set")
      z="–"; o="–"; m="–"
      if [ -s "$sheet" ]; then
        have zopflipng && z=$(measure "$work/z.png" zopflipng -m -y "$sheet" "$work/z.png")
        have optipng && o=$(measure "$work/o.png" optipng -quiet -o7 -out "$work/o.png" -clobber "$sheet")
        have convert && m=$(measure "$work/m.png" convert "$sheet" -strip "$work/m.png")
        rm -f "$work/z.png" "$work/o.png" "$work/m.png"
      fi
      echo "| $set $layout $background | $ours | $z | $o | $m |"
    done
  done
done
