#!/bin/sh
# Peak memory of whole builds: runs the command line under /usr/bin/time -v
# on generated folders and prints one markdown table of peak resident memory,
# wall-clock time, processor time (user + system, steadier than wall-clock
# time on a shared machine) and the bytes of the sheets the build holds (width x height
# x 4 on a transparent background, x 3 on white; with --retina the
# double-size sheet and its half).
#   bench/memory.sh [BUILD_DIR]
# The folders (bench/memory_sources.py, fixed seed): 2 000 and 20 000 PNG
# images of random sizes 1-64 px, one in ten a copy of another, and one
# 16 000 x 16 000 image among ten small ones, packed, in a grid, with every
# option, resized, as a JPEG (written with cjpeg), into a BMP sheet, into a
# transparent GIF sheet, as a BMP and into an optimised PNG sheet, plain and
# interlaced, and one 8 000 x 8 000 lossy WebP with noise (written with
# cwebp; a lossy WebP of 16 000 px has too many blocks) among ten.
# Installs nothing.
# SOURCES=DIR keeps the generated folders there for the next run (and reuses
# them); OUTPUTS=DIR keeps every case's sheets and stylesheets there, so two
# builds' outputs can be compared with cmp; CASES picks cases by number.
set -e
build="${1:-build}"
cli="$build/cli/tessolo-cli"
[ -x "$cli" ] || { echo "no $cli: build the project first" >&2; exit 1; }
here=$(dirname "$0")
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
sources="${SOURCES:-$work/sources}"
outputs="${OUTPUTS:-$work/outputs}"

folder() {  # folder NAME COUNT [LARGE_SIDE [png|jpeg]]: the generated folder's path
  [ -d "$sources/$1" ] || python3 "$here/memory_sources.py" "$sources/$1" "$2" $3 $4
  echo "$sources/$1"
}
# Bytes of the sheets in folder $1 as held: width x height x $2 each.
sheet_bytes() {
  python3 - "$1" "$2" <<'PY'
import glob, struct, sys
total = 0
for path in glob.glob(sys.argv[1] + "/*.png") + glob.glob(sys.argv[1] + "/*.bmp") + glob.glob(sys.argv[1] + "/*.gif"):
    with open(path, "rb") as sheet:
        head = sheet.read(26)
    if path.endswith(".png"):
        width, height = struct.unpack(">II", head[16:24])
    elif path.endswith(".gif"):
        width, height = struct.unpack("<HH", head[6:10])
    else:
        width, height = struct.unpack("<ii", head[18:26])
    total += width * abs(height) * int(sys.argv[2])
print("%.0f" % (total / 1e6))
PY
}

all_options="--background transparent --dedupe --data scss --data less --data json --html --retina"
large_options="--background transparent --dedupe"
echo "| case | peak RSS (MB) | wall time (s) | CPU time (s) | sheets held (MB) |"
echo "|---|---|---|---|---|"
n=0
run() {  # run TITLE FOLDER OPTIONS...
  title="$1"; from="$2"; shift 2
  n=$((n + 1))
  case " ${CASES:-1 2 3 4 5 6 7 8 9 10 11 12 13 14 15 16} " in *" $n "*) ;; *) return 0 ;; esac
  out="$outputs/$n"
  rm -rf "$out"; mkdir -p "$out"
  if /usr/bin/time -v -o "$work/time" "$cli" --quiet --settings "$work/store" --name sheet \
      --type png --layout packed --out "$out" --css-out "$out" "$@" "$from" >"$work/log" 2>&1; then
    rss=$(awk '/Maximum resident/ { printf "%.0f", $NF / 1024 }' "$work/time")
    wall=$(awk '/Elapsed/ { n = split($NF, t, ":"); s = 0; for (i = 1; i <= n; i++) s = s * 60 + t[i]; printf "%.1f", s }' "$work/time")
    cpu=$(awk '/User time|System time/ { s += $NF } END { printf "%.1f", s }' "$work/time")
    channels=3; case " $* " in *" transparent "*) channels=4 ;; esac
    echo "| $title | $rss | $wall | $cpu | $(sheet_bytes "$out" $channels) |"
  else
    echo "| $title | failed: $(tail -n 1 "$work/log") | – | – | – |"
  fi
}
small=$(folder small 2000)
many=$(folder many 20000)
large=$(folder large 10 16000)
run "2 000 images, packed" "$small"
run "20 000 images, packed" "$many"
run "2 000 images, every option" "$small" $all_options
run "20 000 images, every option" "$many" $all_options
run "16 000 px image + 10, packed" "$large"
run "16 000 px image + 10, transparent, dedupe" "$large" $large_options
run "16 000 px image + 10, grid" "$large" --layout grid
run "16 000 px image + 10, every option" "$large" $all_options
run "16 000 px image + 10, resized to 50 %" "$large" --resize 50%
large_jpeg=$(folder large-jpeg 10 16000 jpeg)
run "16 000 px JPEG + 10, packed" "$large_jpeg"
run "16 000 px image + 10, BMP sheet" "$large" --type bmp
run "16 000 px image + 10, transparent GIF sheet" "$large" --type gif --background transparent
large_bmp=$(folder large-bmp 10 16000 bmp)
run "16 000 px BMP + 10, packed" "$large_bmp"
run "16 000 px image + 10, transparent, optimised PNG" "$large" --background transparent --png-optimize
run "16 000 px image + 10, transparent, interlaced optimised PNG" "$large" --background transparent --png-optimize --png-interlace
large_webp=$(folder large-webp 10 8000 webp)
run "8 000 px lossy WebP + 10, packed" "$large_webp"
