#!/usr/bin/env bash
# Installs what is missing, builds Plumewright with its tests and runs the whole test suite.
# Window tests run offscreen; the ones that need a real X server get one from xvfb-run.
# PLW_WINDOWS=0 leaves out the Windows stage. Without PLW_QT_MINGW_ARCHIVE and without the Windows
# Qt in its cache, the first run builds that Qt first (about 45 minutes on 2 cores, once).
set -euo pipefail
cd "$(dirname "$0")/.."
windows=${PLW_WINDOWS:-1}
if [ "$windows" = 0 ]; then
  echo "PLW_WINDOWS=0: the Windows stage (cross build and tests under Wine) is left out of this run"
elif [ -z "${PLW_QT_MINGW_ARCHIVE:-}" ] &&
  [ ! -f "$(bash scripts/build-windows-qt.sh --print-dir)/lib/cmake/Qt6/qt.toolchain.cmake" ]; then
  echo "No Windows Qt yet (no PLW_QT_MINGW_ARCHIVE, nothing in $(bash scripts/build-windows-qt.sh --print-dir)):"
  echo "building it first from Debian's source, about 45 minutes on 2 cores; later runs find it there."
  bash scripts/build-windows-qt.sh
fi
bash scripts/setup.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build build
xvfb-run -a -s "-screen 0 1280x1024x24" ctest --test-dir build --output-on-failure --timeout 300

# Formatting and static analysis of the sources just built.
bash tools/lint.sh build

# The Windows build: plumewright.exe, its zip and the test programs cross-built with MinGW-w64,
# the tests run under Wine (offscreen; the program itself on the windows platform in the X server).
if [ "$windows" != 0 ]; then
  bash scripts/build-windows.sh
  xvfb-run -a -s "-screen 0 1280x1024x24" ctest --test-dir build-windows --output-on-failure --timeout 600
fi

# The same tests again, built with AddressSanitizer and UndefinedBehaviorSanitizer. Qt itself is
# not instrumented; lsan.supp names the system libraries whose allocations live until exit.
sanitize="-fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=undefined"
cmake -S . -B build-asan -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DPLW_BUILD_BENCH=OFF \
  -DCMAKE_CXX_FLAGS="$sanitize" -DCMAKE_EXE_LINKER_FLAGS="-fsanitize=address,undefined"
cmake --build build-asan -j2
ASAN_OPTIONS=detect_leaks=1 LSAN_OPTIONS="suppressions=$PWD/tests/lsan.supp" \
  UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
  xvfb-run -a -s "-screen 0 1280x1024x24" \
  ctest --test-dir build-asan --output-on-failure --timeout 600 -E "^(packaging|idle_)"

# The rule functions under libFuzzer, about a minute each.
bash fuzz/run.sh 60
[ "$windows" != 0 ] || echo "PLW_WINDOWS=0: the Windows stage was left out; this run did not build or test the Windows program"
