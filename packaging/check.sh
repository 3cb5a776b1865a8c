#!/usr/bin/env bash
# Installs the build into a scratch root, validates the desktop entry and the AppStream
# metainfo, then builds the Debian package and checks what it holds.
# Usage: check.sh BUILD_DIR APP_ID ICON_SIZE...
set -euo pipefail

build=$(cd "$1" && pwd)
app_id=$2
shift 2
sizes=("$@")

for tool in desktop-file-validate appstreamcli cpack dpkg-deb file; do
  command -v "$tool" >/dev/null || { echo "missing tool: $tool (run scripts/setup.sh)"; exit 1; }
done

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

expected=(
  usr/bin/plumewright
  "usr/share/applications/$app_id.desktop"
  "usr/share/metainfo/$app_id.metainfo.xml"
)
for size in "${sizes[@]}"; do
  expected+=("usr/share/icons/hicolor/${size}x${size}/apps/$app_id.png")
done

check_tree() { # ROOT: the expected files are there and the icons have their sizes
  local root=$1 path size
  for path in "${expected[@]}"; do
    [ -f "$root/$path" ] || { echo "missing from $root: $path"; exit 1; }
  done
  [ -x "$root/usr/bin/plumewright" ] || { echo "plumewright is not executable in $root"; exit 1; }
  for size in "${sizes[@]}"; do
    path="$root/usr/share/icons/hicolor/${size}x${size}/apps/$app_id.png"
    file -b "$path" | grep -q "^PNG image data, $size x $size," \
      || { echo "not a ${size}x${size} PNG: $path ($(file -b "$path"))"; exit 1; }
  done
}

echo "== cmake --install"
cmake --install "$build" --prefix "$work/root/usr" >/dev/null
check_tree "$work/root"

echo "== desktop-file-validate"
desktop-file-validate "$work/root/usr/share/applications/$app_id.desktop"

echo "== appstreamcli validate"
appstreamcli validate --no-net "$work/root/usr/share/metainfo/$app_id.metainfo.xml"
appstreamcli validate-tree --no-net "$work/root"

echo "== cpack -G DEB"
(cd "$work" && cpack -G DEB --config "$build/CPackConfig.cmake" -B "$work/deb" >/dev/null)
debs=("$work"/deb/*.deb)
[ ${#debs[@]} -eq 1 ] && [ -f "${debs[0]}" ] || { echo "expected one .deb, found: ${debs[*]}"; exit 1; }
deb=${debs[0]}
echo "$(basename "$deb")"
dpkg-deb -f "$deb"

echo "== dpkg-deb -c"
dpkg-deb -c "$deb" | tee "$work/contents" | awk '{print $1, $6}'
for path in "${expected[@]}"; do
  grep -q " \./$path\$" "$work/contents" || { echo "missing from the package: $path"; exit 1; }
done
[ "$(dpkg-deb -f "$deb" Package)" = plumewright ] || { echo "wrong package name"; exit 1; }
dpkg-deb -f "$deb" Depends | grep -q libqt6widgets6 || { echo "Depends lacks the Qt widgets library"; exit 1; }

echo "== unpacked package"
dpkg-deb -x "$deb" "$work/unpacked"
check_tree "$work/unpacked"
desktop-file-validate "$work/unpacked/usr/share/applications/$app_id.desktop"
appstreamcli validate-tree --no-net "$work/unpacked"
echo "packaging checks passed"
