#!/bin/sh
# Installs Dart Sass from the npm registry into DIR (normally BUILD/npm),
# for the tests that compile the SCSS data file; once per folder. When npm
# or the registry is not there, it says so and the tests skip.
set -u
dir=$1
[ -x "$dir/node_modules/.bin/sass" ] && exit 0
if ! command -v npm >/dev/null 2>&1; then
  echo "npm is not installed; the tests that compile SCSS will be skipped." >&2
  exit 0
fi
mkdir -p "$dir"
if ! timeout 300 npm install --prefix "$dir" --no-audit --no-fund --loglevel=error sass; then
  echo "Could not install sass from the npm registry; the tests that compile SCSS will be skipped." >&2
  exit 0
fi
"$dir/node_modules/.bin/sass" --version
