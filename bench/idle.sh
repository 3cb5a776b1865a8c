#!/usr/bin/env bash
# The program's CPU time and wake-ups over ten idle seconds next to a bare Qt window's, in the
# three states the idle checks judge, on this machine as it is now. Figures only: the tests judge
# them against the bare window, never against a number of seconds.
# Usage: bench/idle.sh PLUMEWRIGHT IDLEBASELINE   (on an X server; the bench_idle target starts one)
set -euo pipefail
check=$(dirname "$0")/../tests/idlecheck.sh
program=$1
baseline=$2
bash "$check" --report "$baseline" 50 "$program"
bash "$check" --active --report "$baseline" 100 "$program"
bash "$check" --preview --report "$baseline" 100 "$program"
