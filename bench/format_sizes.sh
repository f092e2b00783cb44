#!/bin/sh
# Builds the benchmark icon sets into grid sheets on a transparent background
# in each sheet type and option of interest, and runs the WebP and palette
# tools found on PATH on the very same pixels (the default PNG sheet),
# printing one markdown table of bytes and wall-clock seconds side by side.
#   bench/format_sizes.sh [BUILD_DIR]
# Installs nothing: a column whose tool is missing shows "–". The sets are
# those of bench/png_sizes.sh (from scripts/install-deps.sh).
set -e
build="${1:-build}"
. "$(dirname "$0")/size_runs.sh"
make_set silk "$silk" 1000
make_set flags "$flags" 1000

# One build of set $1 as sheet NAME $2.EXT with the options that follow.
build() {
  set="$1"; name="$2"; ext="$3"; shift 3
  measure "$work/out/$name.$ext" "$cli" --quiet --settings "$work/store" --name "$name" \
    --out "$work/out" --css-out "$work/css" --layout grid --background transparent "$@" "$work/$set"
}

echo "| set | PNG | PNG optimised | PNG 256 colours | WebP lossless | WebP q90 | AVIF q80 | cwebp -lossless -z 9 | pngquant 256 |"
echo "|---|---|---|---|---|---|---|---|---|"
for set in silk flags; do
  [ -n "$(ls "$work/$set")" ] || { echo "| $set | – (set not installed) |||||||| "; continue; }
  png=$(build "$set" "$set" png --type png)
  optimised=$(build "$set" "$set-opt" png --type png --png-optimize)
  colors=$(build "$set" "$set-256" png --type png --png-colors 256)
  lossless=$(build "$set" "$set" webp --type webp --webp-quality 0)
  lossy=$(build "$set" "$set-q90" webp --type webp --webp-quality 90)
  avif=$(build "$set" "$set" avif --type avif --avif-quality 80)
  c="–"; q="–"
  have cwebp && c=$(measure "$work/c.webp" cwebp -quiet -lossless -z 9 "$work/out/$set.png" -o "$work/c.webp")
  have pngquant && q=$(measure "$work/q.png" pngquant --force --output "$work/q.png" 256 "$work/out/$set.png")
  echo "| $set | $png | $optimised | $colors | $lossless | $lossy | $avif | $c | $q |"
done
