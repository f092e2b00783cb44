#!/bin/sh
# Runs every benchmark program of a build folder: bench/run.sh BUILD_DIR [benchmark flags]
set -e
build="$1"; shift
for b in "$build"/bench/*_bench; do
  [ -x "$b" ] || continue
  echo "== $(basename "$b")"
  "$b" "$@"
done
if [ -x "$build/bench/window_timing" ]; then
  echo "== window_timing"
  QT_QPA_PLATFORM=offscreen "$build/bench/window_timing"
fi
