#!/usr/bin/env bash
# Builds the Debian package a Linux player installs: dist/dravolinex_VERSION_ARCH.deb.
#   bash scripts/package-deb.sh
# The game is built with Debian's hardening flags in build-deb/, installed into a staging tree with
# `cmake --install` (prefix /usr, the game in /usr/games), completed with the Debian files (copyright,
# changelog, gzipped manual page, control with Depends computed by dpkg-shlibdeps) and packed by dpkg-deb.
set -euo pipefail
cd "$(dirname "$0")/.."
top=$PWD
export DEBIAN_FRONTEND=noninteractive LC_ALL=C.UTF-8

# Install only the missing build tools (through sudo when not root).
need=(build-essential cmake ninja-build pkg-config libgtk-3-dev libsdl2-dev dpkg-dev)
missing=()
for p in "${need[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  sudo=""; [ "$(id -u)" -ne 0 ] && sudo="sudo"
  $sudo env DEBIAN_FRONTEND=noninteractive apt-get update -q
  $sudo env DEBIAN_FRONTEND=noninteractive apt-get install -y -q --no-install-recommends "${missing[@]}"
fi

# One version everywhere: the CMake project, the newest Debian changelog entry and the newest AppStream release.
version=$(sed -n 's/^project(Dravolinex VERSION \([0-9][0-9.]*\).*/\1/p' CMakeLists.txt)
changelog_version=$(dpkg-parsechangelog -l packaging/debian/changelog -S Version)
metainfo_version=$(sed -n 's/.*<release version="\([^"]*\)".*/\1/p' resources/desktop/dravolinex.metainfo.xml | head -1)
if [ -z "$version" ] || [ "$changelog_version" != "$version" ] || [ "$metainfo_version" != "$version" ]; then
  echo "package-deb: version mismatch: CMakeLists.txt '$version', packaging/debian/changelog '$changelog_version'," \
       "dravolinex.metainfo.xml '$metainfo_version'; add a changelog entry and a release for '$version'" >&2
  exit 1
fi
arch=$(dpkg --print-architecture)
export SOURCE_DATE_EPOCH=$(dpkg-parsechangelog -l packaging/debian/changelog -S Timestamp)

# Build with Debian's flags (all hardening features) and install into the staging tree.
export DEB_BUILD_MAINT_OPTIONS=hardening=+all
launcher=()
if command -v ccache >/dev/null; then
  launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache -DCMAKE_C_COMPILER_LAUNCHER=ccache)
fi
CFLAGS="$(dpkg-buildflags --get CFLAGS) $(dpkg-buildflags --get CPPFLAGS)" \
CXXFLAGS="$(dpkg-buildflags --get CXXFLAGS) $(dpkg-buildflags --get CPPFLAGS)" \
LDFLAGS="$(dpkg-buildflags --get LDFLAGS)" \
  cmake -S . -B build-deb -G Ninja -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX=/usr \
        -DDRAVOLINEX_INSTALL_BINDIR=games -DDRAVOLINEX_TESTS=OFF -DDRAVOLINEX_BENCH=OFF -DDRAVOLINEX_TEST_HOOKS=OFF "${launcher[@]}" >/dev/null
cmake --build build-deb -j"$(nproc)" --target dravolinex dravolinex-icons

pkg=build-deb/package
root=$pkg/root
rm -rf "$pkg"
mkdir -p "$root/DEBIAN" "$pkg/debian"
umask 022
DESTDIR="$top/$root" cmake --install build-deb >/dev/null
strip --remove-section=.comment --remove-section=.note --strip-unneeded "$root/usr/games/dravolinex"

doc=$root/usr/share/doc/dravolinex
mkdir -p "$doc"
cp packaging/debian/copyright "$doc/copyright"
gzip -9nc packaging/debian/changelog > "$doc/changelog.gz" # a native package: no separate upstream changelog
gzip -9n "$root/usr/share/man/man6/dravolinex.6"

# Depends from the libraries the game links (dpkg-shlibdeps reads debian/control of the directory it runs in).
printf 'Source: dravolinex\n\nPackage: dravolinex\nArchitecture: any\n' > "$pkg/debian/control"
depends=$(cd "$pkg" && dpkg-shlibdeps -O root/usr/games/dravolinex | sed -n 's/^shlibs:Depends=//p')
if [ -z "$depends" ]; then
  echo "package-deb: dpkg-shlibdeps found no libraries for the game" >&2
  exit 1
fi

chmod -R u=rwX,go=rX "$root"
installed_size=$(du -sk --apparent-size --exclude=DEBIAN "$root" | cut -f1)
maintainer=$(dpkg-parsechangelog -l packaging/debian/changelog -S Maintainer)
cat > "$root/DEBIAN/control" <<EOF
Package: dravolinex
Version: $version
Architecture: $arch
Maintainer: $maintainer
Installed-Size: $installed_size
Depends: $depends
Section: games
Priority: optional
Description: spacecraft-landing game
 Fly a craft down onto a landing platform against gravity, wind, a limited
 tank of fuel and, if you ask for it, fog, on the Moon, Mars, Earth or
 Jupiter. Steer with the keyboard or a joystick, or let the computer pilot
 fly.
 .
 Every flight ends in a verdict and a score that rewards the difficulty you
 chose: a rough surface, poor visibility, strong wind, a small platform,
 little fuel, and the harder, legged craft that steers by tilting.
EOF
(cd "$root" && find usr -type f -print0 | sort -z | xargs -0 md5sum) > "$root/DEBIAN/md5sums"
chmod 644 "$root/DEBIAN/control" "$root/DEBIAN/md5sums"

mkdir -p dist
deb=dist/dravolinex_${version}_${arch}.deb
dpkg-deb --root-owner-group -Zxz --build "$root" "$deb" >/dev/null
echo "$deb"
