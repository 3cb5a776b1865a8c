#!/usr/bin/env bash
# Installs the Windows build as its zip holds it (stripped), starts plumewright.exe from there
# under Wine on the windows platform (Wine draws into the test command's X server) and drives it
# with winprobe.exe: the main window shows the start drop string, "Create SQS" writes init.sqs beside
# the exe and reports it, and closing the window ends the program.
# Usage: winestart.sh ENV_FILE BUILD_DIR PROBE_EXE
set -uo pipefail
# shellcheck source=/dev/null
source "$1"
build=$2
probe=$3
[ -n "${DISPLAY:-}" ] || { echo "no X server to draw into: skipped"; exit 77; }

winpath() { local path=$1; printf 'Z:%s' "${path//\//\\}"; }
fail() { echo "FAIL: $*"; for log in "$work"/*.log; do echo "--- $log"; tail -n 20 "$log"; done; exit 1; }

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
app=$work/Plumewright
cmake --install "$build" --prefix "$app" --strip >"$work/install.log" 2>&1 || fail "install"

# Only what the zip holds: no DLL folders of the build.
unset WINEPATH
cd "$work" # another current folder than the program's
"$wine" "$app/plumewright.exe" >"$work/app.log" 2>&1 </dev/null &
app_pid=$!
"$wine" "$probe" "$(winpath "$work/probe.txt")" >"$work/probe.log" 2>&1 </dev/null
probe_status=$?
for _ in $(seq 300); do
  kill -0 "$app_pid" 2>/dev/null || break
  sleep 0.1
done
if kill -0 "$app_pid" 2>/dev/null; then
  kill "$app_pid"
  fail "plumewright.exe still runs 30 s after its window was closed"
fi
wait "$app_pid"
app_status=$?

expected='Drop ["","","",0,0,[0,0,0],[0,0,0],0,0,0,0,[0,0,0],[[]],[0,0,0],0,0,"","",]'
[ "$probe_status" -eq 0 ] || fail "winprobe.exe ended with status $probe_status: $(cat "$work/probe.txt")"
shown=$(sed -n 1p "$work/probe.txt")
[ "$shown" = "$expected" ] || fail "the result field shows '$shown', expected '$expected'"
notice=$(sed -n 2p "$work/probe.txt")
[ "$notice" = notice ] || fail "after Create SQS: '$notice', expected one notice that Enter closes"
[ -f "$app/init.sqs" ] || fail "no init.sqs beside plumewright.exe"
printf '\r\n%s\r\n' "$expected" | cmp -s - "$app/init.sqs" || fail "init.sqs holds $(od -c "$app/init.sqs" | head)"
[ ! -e "$work/init.sqs" ] || fail "init.sqs was written into the current folder"
[ "$app_status" -eq 0 ] || fail "plumewright.exe ended with status $app_status"
echo "plumewright.exe under Wine: start drop string shown, init.sqs written beside it, closed cleanly"
