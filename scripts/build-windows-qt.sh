#!/usr/bin/env bash
# Builds Qt 6.4.2 for 64-bit Windows (Core, Gui, Widgets, Test and the windows, offscreen and
# minimal platform plugins) from Debian's own qt6-base source package with Debian's MinGW-w64, the
# same version as the host Qt whose moc, rcc and uic the cross build of Plumewright uses.
# It installs into a cache outside the project, so that a new clone or a clean build folder does
# not build it again:
#   ${XDG_CACHE_HOME:-$HOME/.cache}/plumewright/qt6-mingw-6.4.2
# The build happens beside it and is moved into place only when it is complete: a folder under that
# name is always a finished Qt.
# Usage: build-windows-qt.sh [--print-dir]   (--print-dir: only print the cache folder)
set -euo pipefail
project=$(cd "$(dirname "$0")/.." && pwd)

version=6.4.2
cache_root=${XDG_CACHE_HOME:-${HOME:?HOME is not set}/.cache}/plumewright
target=$cache_root/qt6-mingw-$version
if [ "${1:-}" = --print-dir ]; then
  echo "$target"
  exit 0
fi
if [ -f "$target/lib/cmake/Qt6/qt.toolchain.cmake" ]; then
  exit 0
fi

sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"

mkdir -p "$cache_root"
# One build at a time: a second call waits for the first and then finds its result.
exec 9>"$cache_root/qt6-mingw-$version.lock"
flock 9
if [ -f "$target/lib/cmake/Qt6/qt.toolchain.cmake" ]; then
  exit 0
fi

echo "Building the Windows Qt $version from Debian's qt6-base source: this takes about 45 minutes on 2 cores, once."
echo "It goes into $target."

# The host Qt and its tools, the cross compiler, and what the source download and build need.
bash "$project/scripts/setup.sh" windows
host_version=$(dpkg-query -W -f='${Version}' qt6-base-dev)
case "$host_version" in
  "$version"+*) ;;
  *)
    echo "the host Qt is $host_version, but this script builds the Windows Qt $version for a host Qt $version" >&2
    exit 1
    ;;
esac
needed=()
for p in xz-utils patch; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || needed+=("$p")
done
if [ ${#needed[@]} -gt 0 ]; then
  $sudo apt-get update
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y --no-install-recommends "${needed[@]}"
fi

# Debian's source entries, in a sources file of this project's own, unless apt has them already.
if ! apt-get indextargets --format '$(CREATED_BY)' 2>/dev/null | grep -qx Sources; then
  codename=$(. /etc/os-release && echo "$VERSION_CODENAME")
  $sudo tee /etc/apt/sources.list.d/plumewright-deb-src.sources >/dev/null <<EOF
# Debian's source packages, for scripts/build-windows-qt.sh of Plumewright (the Windows Qt).
Types: deb-src
URIs: http://deb.debian.org/debian
Suites: $codename $codename-updates
Components: main
Signed-By: /usr/share/keyrings/debian-archive-keyring.gpg
EOF
  $sudo apt-get update
fi

work=$cache_root/qt6-mingw-$version.building
rm -rf "$work"
mkdir -p "$work/download"
trap 'echo "the Windows Qt build stopped; nothing was put into $target" >&2' ERR

echo "== Downloading qt6-base $host_version source"
(cd "$work/download" && apt-get source --download-only "qt6-base=$host_version")
orig=$(ls "$work"/download/qt6-base_"$version"*.orig.tar.xz)
tar xJf "$orig" -C "$work"
src=$work/qtbase-everywhere-src-$version
# Debian's source leaves out the Wintab header: the windows plugin is built without tablet support,
# and two feature guards follow the features that are off (dynamic GL, the DirectWrite font database).
(cd "$work" && patch -p1 --forward <"$project/scripts/qt6-mingw/windows-plugin.patch")

echo "== Configuring"
stage=$work/stage/qt6-mingw
cmake -S "$src" -B "$work/build" -G Ninja \
  -DCMAKE_TOOLCHAIN_FILE="$project/cmake/mingw-w64.cmake" \
  -DCMAKE_INSTALL_PREFIX="$stage" \
  -DQT_HOST_PATH=/usr -DQT_HOST_PATH_CMAKE_DIR=/usr/lib/x86_64-linux-gnu/cmake \
  -DQT_BUILD_EXAMPLES=OFF -DQT_BUILD_TESTS=OFF -DQT_BUILD_BENCHMARKS=OFF \
  -DBUILD_SHARED_LIBS=ON -DCMAKE_BUILD_TYPE=Release \
  -DFEATURE_opengl=OFF -DFEATURE_sql=OFF -DFEATURE_network=OFF -DFEATURE_dbus=OFF \
  -DFEATURE_concurrent=OFF -DFEATURE_xml=OFF -DFEATURE_printsupport=OFF -DFEATURE_vulkan=OFF \
  -DFEATURE_system_zlib=OFF -DFEATURE_direct2d=OFF

echo "== Building (ninja prints [done/total] for every step)"
cmake --build "$work/build"
echo "== Installing"
cmake --install "$work/build" >"$work/install.log"

# The finished Qt takes its place in one rename, on the same file system.
rm -rf "$target"
mv "$stage" "$target"
rm -rf "$work"
trap - ERR
echo "The Windows Qt $version is built: $target"
