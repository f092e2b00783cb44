#!/bin/sh
# Installs the Debian packages that building and testing Tessolo needs,
# but only those that are missing. Runs as root, or through sudo otherwise.
set -e

PACKAGES="cmake make g++ clang-14 libclang-rt-14-dev
zlib1g-dev libjpeg62-turbo-dev libgtest-dev libgmock-dev libbenchmark-dev
libpng-dev libgif-dev libjpeg-turbo-progs
qt6-base-dev
dpkg-dev man-db"

missing=""
for p in $PACKAGES; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing="$missing $p"
  fi
done
[ -z "$missing" ] && exit 0

echo "Installing:$missing"
SUDO=""
[ "$(id -u)" -ne 0 ] && SUDO=sudo
$SUDO apt-get update -qq
DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends $missing
