#!/usr/bin/env bash
# Builds the Debian package a Linux player installs, dist/dravolinex_VERSION_ARCH.deb, from the source package in
# debian/ with dpkg-buildpackage (as any Debian or Ubuntu package is built).
#   bash scripts/package-deb.sh            the binary package (prints its path)
#   bash scripts/package-deb.sh --source   also the source package, dist/dravolinex_VERSION.dsc and .tar.xz
# The working tree (committed or not, without build directories) is copied to build-deb/src/ and built there, so
# dpkg-buildpackage's results and leftovers stay out of the tree and out of its parent directory. Installs the
# missing build dependencies first (through sudo when not root).
set -euo pipefail
cd "$(dirname "$0")/.."
export DEBIAN_FRONTEND=noninteractive LC_ALL=C.UTF-8
source=0
case "${1:-}" in
  "") ;;
  --source) source=1 ;;
  *) echo "usage: $0 [--source]" >&2; exit 2 ;;
esac
sudo=""; [ "$(id -u)" -ne 0 ] && sudo="sudo"

if ! command -v dpkg-checkbuilddeps > /dev/null || ! dpkg-checkbuilddeps > /dev/null 2>&1; then
  $sudo apt-get update -q
  $sudo apt-get install -y -q --no-install-recommends dpkg-dev
  $sudo apt-get build-dep -y -q ./
fi

version=$(dpkg-parsechangelog -S Version)
src=build-deb/src
tree=$src/dravolinex-$version
rm -rf "$src"
mkdir -p "$tree" dist
if git rev-parse --is-inside-work-tree > /dev/null 2>&1; then
  git ls-files -z --cached --others --exclude-standard |
    tar --null --files-from=- --ignore-failed-read -cf - 2> /dev/null | tar -xf - -C "$tree"
else # an unpacked source tarball
  tar --exclude='./build*' --exclude=./dist --exclude='./obj-*' -cf - . | tar -xf - -C "$tree"
fi

# ccache's compiler names first on PATH when it is installed: a rebuild of the same tree is quick. Its cache stays
# the user's own (debhelper gives the build a fresh home directory).
if [ -d /usr/lib/ccache ] && command -v ccache > /dev/null; then
  export PATH=/usr/lib/ccache:$PATH CCACHE_DIR=${CCACHE_DIR:-$(ccache --get-config cache_dir)}
fi
export DEB_BUILD_OPTIONS=${DEB_BUILD_OPTIONS:-parallel=$(nproc)}
what=(-b); [ "$source" = 1 ] && what=()
(cd "$tree" && dpkg-buildpackage -us -uc "${what[@]}") > "$src/build.log" 2>&1 || {
  tail -40 "$src/build.log" >&2
  echo "package-deb: dpkg-buildpackage failed; the whole log is $src/build.log" >&2
  exit 1
}

arch=$(dpkg --print-architecture)
deb=dist/dravolinex_${version}_${arch}.deb
cp "$src/dravolinex_${version}_${arch}.deb" "$deb"
if [ "$source" = 1 ]; then
  cp "$src/dravolinex_${version}.dsc" "$src/dravolinex_${version}.tar.xz" dist/
  echo "dist/dravolinex_${version}.dsc"
fi
echo "$deb"
