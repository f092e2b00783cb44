#!/bin/sh
# Installs the Debian packages that building and testing Tessolo needs,
# but only those that are missing. Runs as root, or through sudo otherwise.
set -e

PACKAGES="cmake make g++ clang-14 libclang-rt-14-dev
zlib1g-dev libjpeg62-turbo-dev libgtest-dev libgmock-dev libbenchmark-dev
libdeflate-dev libzopfli-dev nlohmann-json3-dev libcli11-dev libmstch-dev libtomlplusplus-dev libimagequant-dev
libpng-dev libgif-dev libjpeg-turbo-progs node-less
libwebp-dev libavif-dev librsvg2-dev libxml2-dev
qt6-base-dev
dpkg-dev man-db"

# The browser that checks the web outputs, the X server, window manager
# and key presser of the desktop program's check under X (with xwd and
# netpbm for its screenshot), and Stylus for the template example. Their
# tests skip with a message when they cannot be installed, so their absence
# does not stop the rest. The lossless PNG optimisers, ImageMagick and the
# two icon sets are for bench/png_sizes.sh, which skips what is missing.
OPTIONAL_PACKAGES="chromium xvfb xdotool matchbox-window-manager x11-apps netpbm node-stylus
zopfli optipng imagemagick webp pngquant famfamfam-silk famfamfam-flag-png"

missing_of() {
  for p in "$@"; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
      printf ' %s' "$p"
    fi
  done
}
missing=$(missing_of $PACKAGES)
optional=$(missing_of $OPTIONAL_PACKAGES)
[ -z "$missing$optional" ] && exit 0

SUDO=""
[ "$(id -u)" -ne 0 ] && SUDO=sudo
install() {
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends "$@"
}
$SUDO apt-get update -qq
if [ -n "$missing" ]; then
  echo "Installing:$missing"
  install $missing
fi
if [ -n "$optional" ]; then
  echo "Installing:$optional"
  install $optional || echo "Could not install$optional; the tests that need them will be skipped." >&2
fi
