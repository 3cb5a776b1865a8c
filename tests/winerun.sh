#!/usr/bin/env bash
# Runs the Windows test programs under Wine for CTest.
# Usage: winerun.sh ENV_FILE setup            make the prefix and start its server
#        winerun.sh ENV_FILE stop             stop the server
#        winerun.sh ENV_FILE qtest RESULT EXE [ARGS...]
#                                             run a Qt Test program; it fails when the program
#                                             fails, its result file counts a failure or is
#                                             missing or cut short
set -uo pipefail
# shellcheck source=/dev/null
source "$1"
action=$2
shift 2

winpath() { # an absolute Unix path as Wine's drive Z: sees it
  local path=$1
  printf 'Z:%s' "${path//\//\\}"
}

case $action in
setup)
  mkdir -p "$WINEPREFIX"
  # The server stays until "stop", so that the tests do not each start and wait out one of
  # their own; its output goes to a log, not to CTest's pipes.
  "$wineserver" -p >"$WINEPREFIX/wineserver.log" 2>&1 </dev/null
  "$wine" wineboot --init >"$WINEPREFIX/wineboot.log" 2>&1 </dev/null
  status=$?
  [ $status -eq 0 ] || { cat "$WINEPREFIX/wineboot.log"; echo "wineboot failed with status $status"; }
  exit $status
  ;;
stop)
  "$wineserver" -k 2>/dev/null
  exit 0
  ;;
qtest)
  result=$1
  exe=$2
  shift 2
  mkdir -p "$(dirname "$result")"
  rm -f "$result"
  log=${result%.txt}.wine.log
  "$wine" "$exe" -o "$(winpath "$result"),txt" "$@" >"$log" 2>&1 </dev/null
  status=$?
  if [ ! -s "$result" ]; then
    echo "$(basename "$exe") wrote no result file (exit status $status); Wine said:"
    tail -n 40 "$log"
    exit 1
  fi
  cat "$result"
  # The exit status alone would miss a program that ended early with status 0; the last lines of
  # a complete run are its totals and the closing line.
  totals=$(grep -E '^Totals: [0-9]+ passed, [0-9]+ failed' "$result" | tail -n 1)
  if [ -z "$totals" ] || ! grep -q '^\*\*\*\*\*\*\*\*\* Finished testing of ' "$result"; then
    echo "$(basename "$exe") ended before its totals (exit status $status); Wine said:"
    tail -n 40 "$log"
    exit 1
  fi
  failed=$(sed -E 's/^Totals: [0-9]+ passed, ([0-9]+) failed.*/\1/' <<<"$totals")
  if [ "$failed" -ne 0 ] || [ "$status" -ne 0 ]; then
    echo "$(basename "$exe"): $failed failed (exit status $status)"
    exit 1
  fi
  exit 0
  ;;
*)
  echo "winerun.sh: unknown action $action" >&2
  exit 2
  ;;
esac
