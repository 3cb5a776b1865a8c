#!/usr/bin/env bash
# Starts a program on the X server, lets it settle and then counts over ten idle seconds how often
# its threads woke up (voluntary context switches) and how much CPU time they ran. An idle program
# sleeps: no timer runs while nobody touches it.
# The wake-ups are held to a fixed limit: a busy neighbour on the machine does not add to them.
# The CPU time is not, since on a loaded machine the same work costs more of it; it is held against
# a bare Qt window with a blinking caret (idlebaseline), measured the same way just before and just
# after, so that a load which comes or goes meanwhile weighs on the figure it is held against.
# With --active a window manager runs too, so the window is active and the caret of the focused
# field blinks (Qt redraws it twice a second); without it no window is active.
# With --preview (implies --active) a LifeTime and a Weight are typed, F5 opens the particle
# preview, which is seen to run, and Alt+P pauses it before the idle seconds are counted.
# With --report the figures are printed and nothing is judged (bench/idle.sh).
# Usage: idlecheck.sh [--active | --preview] [--report] BASELINE MAX_WAKEUPS PROGRAM [ARGUMENT...]
set -euo pipefail

active=0
preview=0
report=0
case "${1:-}" in
  --active) active=1; shift ;;
  --preview) active=1; preview=1; shift ;;
esac
[ "${1:-}" != --report ] || { report=1; shift; }
[ $# -ge 3 ] || { echo "usage: idlecheck.sh [--active | --preview] [--report] BASELINE MAX_WAKEUPS PROGRAM [ARGUMENT...]"; exit 2; }
baseline=$(realpath "$1")
max_wakeups=$2
program=$(realpath "$3")
shift 3
program_args=("$@")
idle_seconds=10
# The program may run this many times the bare window's CPU time, plus a few milliseconds that
# a single blink's timing can swing; a busy loop runs thousands of times more.
cpu_factor=3
cpu_allowance=0.03

if [ -z "${DISPLAY:-}" ]; then
  echo "no X server (DISPLAY is not set); run under xvfb-run"
  exit 77
fi
command -v xdotool >/dev/null || { echo "missing tool: xdotool (run scripts/setup.sh)"; exit 1; }
[ $active -eq 0 ] || command -v openbox >/dev/null || { echo "missing tool: openbox (run scripts/setup.sh)"; exit 1; }

workdir=$(mktemp -d)
pid=
wm=
stop_program() {
  if [ -n "$pid" ]; then kill "$pid" 2>/dev/null || true; wait "$pid" 2>/dev/null || true; fi
  pid=
}
cleanup() {
  stop_program
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

# measure NAME STATE WITH_PREVIEW COMMAND...: runs COMMAND through its idle seconds, prints its
# figures and leaves them in wakeups and runtime.
measure() {
  local name=$1 state=$2 with_preview=$3
  shift 3
  QT_QPA_PLATFORM=xcb "$@" &
  pid=$!

  # The window is up once it is mapped; then give it time to finish its first paints.
  local window
  window=$(timeout 30 xdotool search --all --sync --onlyvisible --pid "$pid" --name "Plumewright" | head -n 1) || true
  [ -n "$window" ] || { echo "$name: the window did not appear"; exit 1; }
  sleep 3
  if [ $active -eq 1 ] && [ "$(xdotool getactivewindow 2>/dev/null)" != "$window" ]; then
    echo "$name: the window manager did not activate the window"
    exit 1
  fi

  [ "$with_preview" -eq 0 ] || open_paused_preview
  local ticks0 ns0 vol0 invol0 ticks1 ns1 vol1 invol1 threads
  read -r ticks0 ns0 vol0 invol0 < <(sample)
  sleep "$idle_seconds"
  kill -0 "$pid" 2>/dev/null || { echo "$name: ended while idle"; exit 1; }
  read -r ticks1 ns1 vol1 invol1 < <(sample)
  threads=$(find "/proc/$pid/task" -mindepth 1 -maxdepth 1 | wc -l)
  stop_program

  local cpu
  wakeups=$((vol1 - vol0))
  cpu=$(awk -v t=$((ticks1 - ticks0)) -v hz="$(getconf CLK_TCK)" 'BEGIN {printf "%.3f", t / hz}')
  runtime=$(awk -v ns=$((ns1 - ns0)) 'BEGIN {printf "%.6f", ns / 1e9}')
  echo "$name: idle ${idle_seconds} s (${state}), ${threads} threads: ${wakeups} wake-ups (voluntary context switches)," \
       "$((invol1 - invol0)) involuntary; CPU ${cpu} s (utime+stime), ${runtime} s run time (schedstat)"
}

state=inactive
[ $active -eq 0 ] || state="active, caret blinking"
program_state=$state
[ $preview -eq 0 ] || program_state="preview open and paused"
measure "bare window, before" "$state" 0 "$baseline"
baseline_runtime=$runtime
measure "$(basename "$program")" "$program_state" $preview "$program" "${program_args[@]}"
program_wakeups=$wakeups
program_runtime=$runtime
measure "bare window, after" "$state" 0 "$baseline"
baseline_runtime=$(awk -v a="$baseline_runtime" -v b="$runtime" 'BEGIN {print (a > b ? a : b)}')
wakeups=$program_wakeups
runtime=$program_runtime

cpu_limit=$(awk -v b="$baseline_runtime" -v f=$cpu_factor -v a=$cpu_allowance 'BEGIN {printf "%.6f", f * b + a}')
echo "run time ${runtime} s against the bare window's ${baseline_runtime} s, the more of its two (allowed less than ${cpu_limit} s);" \
     "wake-ups ${wakeups} (allowed fewer than ${max_wakeups})"
[ $report -eq 0 ] || exit 0

failed=0
[ "$wakeups" -lt "$max_wakeups" ] || { echo "too many wake-ups: $wakeups, allowed fewer than $max_wakeups"; failed=1; }
awk -v r="$runtime" -v l="$cpu_limit" 'BEGIN {exit !(r < l)}' \
  || { echo "too much CPU time: ${runtime} s, allowed less than ${cpu_limit} s (${cpu_factor} x the bare window's ${baseline_runtime} s + ${cpu_allowance} s)"; failed=1; }
exit $failed
