#!/usr/bin/env bash
# Installs what is missing, builds Plumewright with its tests and runs the whole test suite.
# Window tests run offscreen; the ones that need a real X server get one from xvfb-run.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build build
xvfb-run -a -s "-screen 0 1280x1024x24" ctest --test-dir build --output-on-failure --timeout 300
