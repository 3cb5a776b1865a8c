#!/usr/bin/env bash
# Starts the program on the X server, lets it settle and then counts over ten idle seconds
# how often its threads woke up (voluntary context switches) and how much CPU time it used.
# An idle program sleeps: no timer runs while nobody touches it.
# With --active a window manager runs too, so the main window is active and the caret of the
# focused field blinks (Qt redraws it twice a second); without it no window is active.
# With --preview (implies --active) a LifeTime and a Weight are typed, F5 opens the particle preview, which is
# seen to run, and Alt+P pauses it before the idle seconds are counted.
# Usage: idlecheck.sh [--active | --preview] PROGRAM [MAX_WAKEUPS] [MAX_CPU_SECONDS]
set -euo pipefail

active=0
preview=0
case "${1:-}" in
  --active) active=1; shift ;;
  --preview) active=1; preview=1; shift ;;
esac
program=$(realpath "$1")
max_wakeups=${2:-50}
max_cpu=${3:-0.05}
idle_seconds=10

if [ -z "${DISPLAY:-}" ]; then
  echo "no X server (DISPLAY is not set); run under xvfb-run"
  exit 77
fi
command -v xdotool >/dev/null || { echo "missing tool: xdotool (run scripts/setup.sh)"; exit 1; }
[ $active -eq 0 ] || command -v openbox >/dev/null || { echo "missing tool: openbox (run scripts/setup.sh)"; exit 1; }

workdir=$(mktemp -d)
pid=
wm=
cleanup() {
  if [ -n "$pid" ]; then kill "$pid" 2>/dev/null || true; wait "$pid" 2>/dev/null || true; fi
  if [ -n "$wm" ]; then kill "$wm" 2>/dev/null || true; wait "$wm" 2>/dev/null || true; fi
  rm -rf "$workdir"
}
trap cleanup EXIT

cd "$workdir"
if [ $active -eq 1 ]; then
  openbox --sm-disable >/dev/null 2>&1 &
  wm=$!
  sleep 1
fi
QT_QPA_PLATFORM=xcb "$program" &
pid=$!

# The main window is up once it is mapped; then give it time to finish its first paints.
window=$(timeout 30 xdotool search --all --sync --onlyvisible --pid "$pid" --name "Plumewright" | head -n 1) || true
if [ -z "$window" ]; then
  echo "the main window did not appear"
  exit 1
fi
sleep 3
if [ $active -eq 1 ] && [ "$(xdotool getactivewindow 2>/dev/null)" != "$window" ]; then
  echo "the window manager did not activate the main window"
  exit 1
fi

# Counted once the preview is open and paused; while it plays, its frames wake the program up.
open_paused_preview() {
  # LifeTime is the fifth field and Weight the thirteenth; the focus starts in the first, and Tab
  # selects a field's text.
  xdotool key --delay 100 Tab Tab Tab Tab 5 Tab Tab Tab Tab Tab Tab Tab Tab 1 F5
  preview_window=$(timeout 20 xdotool search --sync --onlyvisible --pid "$pid" --name "Particle Preview" | head -n 1) || true
  [ -n "$preview_window" ] || { echo "F5 did not open the preview"; exit 1; }
  sleep 2
  read -r _ _ played0 _ < <(sample)
  sleep 2
  read -r _ _ played1 _ < <(sample)
  echo "preview playing: $((played1 - played0)) wake-ups in 2 s"
  [ $((played1 - played0)) -ge 30 ] || { echo "the preview did not seem to play (no frames)"; exit 1; }
  xdotool key alt+p
  sleep 2
}

# CPU time of the whole process in clock ticks (utime + stime), run time of all threads in
# nanoseconds, and voluntary / involuntary context switches summed over all threads.
sample() {
  local stat ticks ns=0 vol=0 invol=0 task
  stat=$(<"/proc/$pid/stat")
  stat=${stat##*) }
  ticks=$(awk '{print $12 + $13}' <<<"$stat")
  for task in /proc/"$pid"/task/*; do
    ns=$((ns + $(awk '{print $1}' "$task/schedstat")))
    vol=$((vol + $(awk '/^voluntary_ctxt_switches/ {print $2}' "$task/status")))
    invol=$((invol + $(awk '/^nonvoluntary_ctxt_switches/ {print $2}' "$task/status")))
  done
  echo "$ticks $ns $vol $invol"
}

[ $preview -eq 0 ] || open_paused_preview
read -r ticks0 ns0 vol0 invol0 < <(sample)
sleep "$idle_seconds"
kill -0 "$pid" 2>/dev/null || { echo "the program ended while idle"; exit 1; }
read -r ticks1 ns1 vol1 invol1 < <(sample)

hz=$(getconf CLK_TCK)
threads=$(ls "/proc/$pid/task" | wc -l)
wakeups=$((vol1 - vol0))
cpu=$(awk -v t=$((ticks1 - ticks0)) -v hz="$hz" 'BEGIN {printf "%.3f", t / hz}')
runtime=$(awk -v ns=$((ns1 - ns0)) 'BEGIN {printf "%.6f", ns / 1e9}')
state=inactive
[ $active -eq 0 ] || state="active, caret blinking"
[ $preview -eq 0 ] || state="preview open and paused"
echo "idle ${idle_seconds} s (${state}), ${threads} threads: ${wakeups} wake-ups (voluntary context switches)," \
     "$((invol1 - invol0)) involuntary; CPU ${cpu} s (utime+stime), ${runtime} s run time (schedstat)"

failed=0
[ "$wakeups" -lt "$max_wakeups" ] || { echo "too many wake-ups: $wakeups, allowed fewer than $max_wakeups"; failed=1; }
awk -v c="$cpu" -v r="$runtime" -v m="$max_cpu" 'BEGIN {exit !(c < m && r < m)}' \
  || { echo "too much CPU time: ${cpu} s / ${runtime} s, allowed less than ${max_cpu} s"; failed=1; }
exit $failed
