#!/usr/bin/env bash
# Installs what is missing, cross-builds Plumewright for 64-bit Windows with its tests and packs
# the zip for users (build-windows/plumewright-*-windows-x64.zip).
# The Windows Qt comes from an archive: PLW_QT_MINGW_ARCHIVE, by default the one in the shared
# folder beside the project (../shared), or in the workplace's /work/shared for a clone elsewhere.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh windows

build=build-windows
archive=${PLW_QT_MINGW_ARCHIVE:-}
if [ -z "$archive" ]; then
  for candidate in ../shared/qt6-mingw/qt6-mingw-6.4.2.tar.xz /work/shared/qt6-mingw/qt6-mingw-6.4.2.tar.xz; do
    if [ -f "$candidate" ]; then
      archive=$candidate
      break
    fi
  done
fi
if [ -z "$archive" ] || [ ! -f "$archive" ]; then
  echo "the Windows Qt archive (qt6-mingw-6.4.2.tar.xz) is not in ../shared/qt6-mingw; name it with PLW_QT_MINGW_ARCHIVE" >&2
  exit 1
fi
qt=$PWD/$build/qt/qt6-mingw
stamp=$build/qt/unpacked
if [ ! -f "$stamp" ] || [ "$archive" -nt "$stamp" ]; then
  rm -rf "$build/qt"
  mkdir -p "$build/qt"
  tar xJf "$archive" -C "$build/qt"
  # Qt's offscreen platform on Windows, which the tests run on, reads fonts from lib/fonts.
  mkdir -p "$qt/lib/fonts"
  cp /usr/share/fonts/truetype/dejavu/DejaVu*.ttf "$qt/lib/fonts/"
  touch "$stamp"
fi

cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release \
  -DCMAKE_TOOLCHAIN_FILE="$qt/lib/cmake/Qt6/qt.toolchain.cmake" \
  -DQT_CHAINLOAD_TOOLCHAIN_FILE="$PWD/cmake/mingw-w64.cmake" \
  -DQT_HOST_PATH=/usr -DQT_HOST_PATH_CMAKE_DIR=/usr/lib/x86_64-linux-gnu/cmake
cmake --build "$build"
(cd "$build" && cpack -G ZIP)
