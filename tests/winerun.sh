#!/usr/bin/env bash
# Runs the Windows test programs under Wine for CTest.
# Usage: winerun.sh ENV_FILE setup            make the prefix and start its server
#        winerun.sh ENV_FILE stop             stop the server
#        winerun.sh ENV_FILE qtest RESULT EXE [ARGS...]
#                                             run a Qt Test program; it fails when the program
#                                             fails or leaves no result file
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
  # Wine keeps the QT_ variables of the Unix side from Windows programs: the platform that CTest
  # asks for goes on the command line.
  platform=()
  [ -z "${QT_QPA_PLATFORM:-}" ] || platform=(-platform "$QT_QPA_PLATFORM")
  "$wine" "$exe" "${platform[@]}" -o "$(winpath "$result"),txt" "$@" >"$log" 2>&1 </dev/null
  status=$?
  if [ -s "$result" ]; then
    cat "$result"
  else
    echo "$(basename "$exe") wrote no result file (exit status $status); Wine said:"
    tail -n 40 "$log"
    [ $status -ne 0 ] || status=1
  fi
  exit $status
  ;;
*)
  echo "winerun.sh: unknown action $action" >&2
  exit 2
  ;;
esac
