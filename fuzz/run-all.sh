#!/bin/sh
# Runs every built fuzzer over its seed corpus with the given libFuzzer flags:
#   fuzz/run-all.sh BUILD_DIR -runs=2000 -seed=1 (smoke run, part of `make test`)
#   fuzz/run-all.sh BUILD_DIR -max_total_time=300    (a real session)
# The fuzzers decode with the build's own limits, under which one source may
# take about twice the 1 GiB raster cap (a JPEG's coefficients beside its
# bitmap), and the instrumented decoders up to about a minute for a picture
# at the cap (a 43 KB PNG drawn into 1 GiB); the limits leave room above that.
set -e
build="$1"; shift
here="$(cd "$(dirname "$0")" && pwd)"
# The fonts library keeps caches for the life of the process, which the
# leak check would report for the first SVG that draws text.
export LSAN_OPTIONS="suppressions=$here/../tests/lsan-system-libraries.supp${LSAN_OPTIONS:+:$LSAN_OPTIONS}"
found=0
for fuzzer in "$build"/fuzz/*_fuzzer; do
  [ -x "$fuzzer" ] || continue
  found=1
  name="$(basename "$fuzzer" _fuzzer)"
  corpus="$build/fuzz/corpus-$name"
  mkdir -p "$corpus"
  echo "== fuzzing $name $*"
  "$fuzzer" "$@" -max_len=65536 -timeout=120 -rss_limit_mb=3072 "$corpus" "$here/seeds/$name"
done
[ "$found" = 1 ] || echo "no fuzz targets built"
