#!/usr/bin/env bash
# Installs what is missing, cross-builds Plumewright for 64-bit Windows with its tests and packs
# the zip for users (build-windows/plumewright-*-windows-x64.zip).
# The Windows Qt comes from, in this order: the archive named by PLW_QT_MINGW_ARCHIVE (a
# qt6-mingw-6.4.2.tar.xz that unpacks to qt6-mingw/); the cache that scripts/build-windows-qt.sh
# fills; otherwise that script builds it first (about 45 minutes on 2 cores, once).
set -euo pipefail
archive=${PLW_QT_MINGW_ARCHIVE:-}
[ -z "$archive" ] || archive=$(realpath -m "$archive")
cd "$(dirname "$0")/.."
bash scripts/setup.sh windows

build=build-windows
if [ -n "$archive" ]; then
  if [ ! -f "$archive" ]; then
    echo "PLW_QT_MINGW_ARCHIVE names $archive, which is not a file" >&2
    exit 1
  fi
  source=$archive
else
  source=$(bash scripts/build-windows-qt.sh --print-dir)
  bash scripts/build-windows-qt.sh
fi

# The build tree takes its own copy of the Windows Qt, to which it adds the fonts below.
qt=$PWD/$build/qt/qt6-mingw
stamp=$build/qt/unpacked
if [ ! -f "$stamp" ] || [ "$(cat "$stamp")" != "$source" ] || [ "$source" -nt "$stamp" ]; then
  rm -rf "$build/qt"
  mkdir -p "$build/qt"
  if [ -f "$source" ]; then
    tar xJf "$source" -C "$build/qt"
  else
    cp -a "$source" "$qt"
  fi
  # Qt's offscreen platform on Windows, which the tests run on, reads fonts from lib/fonts.
  mkdir -p "$qt/lib/fonts"
  cp /usr/share/fonts/truetype/dejavu/DejaVu*.ttf "$qt/lib/fonts/"
  echo "$source" >"$stamp"
fi

cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release \
  -DCMAKE_TOOLCHAIN_FILE="$qt/lib/cmake/Qt6/qt.toolchain.cmake" \
  -DQT_CHAINLOAD_TOOLCHAIN_FILE="$PWD/cmake/mingw-w64.cmake" \
  -DQT_HOST_PATH=/usr -DQT_HOST_PATH_CMAKE_DIR=/usr/lib/x86_64-linux-gnu/cmake
cmake --build "$build"
(cd "$build" && cpack -G ZIP)
