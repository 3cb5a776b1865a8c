#!/usr/bin/env bash
# Checks that every source is formatted by .clang-format and that clang-tidy finds nothing.
# Usage: tools/lint.sh [BUILD_DIR]   (a configured build directory with compile_commands.json)
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}

mapfile -t sources < <(git ls-files '*.cpp' '*.h')
clang-format --dry-run -Werror "${sources[@]}"

# run-clang-tidy prints every finding and still exits 0 when they are only warnings.
log=$(mktemp)
trap 'rm -f "$log"' EXIT
run-clang-tidy -p "$build" -j "$(nproc)" -quiet "$PWD/(app|bench|colour|drop|import|input|platform|effect|export|preview|sqf|tests)/.*\.cpp$" \
  >"$log" 2>&1 || { cat "$log"; exit 1; }
if grep -E "(warning|error):" "$log"; then
  echo "clang-tidy found the above" >&2
  exit 1
fi
echo "lint: clang-format and clang-tidy clean (${#sources[@]} files)"
