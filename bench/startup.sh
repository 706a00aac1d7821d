#!/usr/bin/env bash
# Start-up time of the window program to its shown main window, and its resident memory one
# second after that, under a private Xvfb. Prints one line per run and the medians.
# Usage: bench/startup.sh [RUNS]   (after building build/app/kelvo; needs xvfb and xdotool;
# the sound device is whatever PortAudio finds, e.g. a PulseAudio server named by PULSE_SERVER)
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
runs=${1:-5}
program="$root/build/app/kelvo"

# Xvfb reports its display on the descriptor given; it must be read up to the newline.
exec {display_fd}< <(Xvfb -displayfd 1 -screen 0 1280x1024x24 -nolisten tcp 2>/dev/null & echo "pid $!")
# The two lines come in either order: the display number and "pid N".
for _ in 1 2; do
    read -r line <&"$display_fd"
    case $line in pid\ *) xvfb_pid=${line#pid } ;; *) display=$line ;; esac
done
trap 'kill "$xvfb_pid" 2>/dev/null || true' EXIT
export DISPLAY=":$display" QT_QPA_PLATFORM=xcb

work=$(mktemp -d)
trap 'kill "$xvfb_pid" 2>/dev/null || true; rm -rf "$work"' EXIT
cd "$work"
times=() rss=()
for run in $(seq "$runs"); do
    start=$(date +%s%N)
    "$program" >/dev/null 2>&1 &
    pid=$!
    until xdotool search --onlyvisible --pid "$pid" >/dev/null 2>&1; do
        kill -0 "$pid" 2>/dev/null || { echo "$program ended before its window was shown" >&2; exit 1; }
        sleep 0.01
    done
    shown=$(date +%s%N)
    sleep 1
    kib=$(awk '/^VmRSS/ {print $2}' "/proc/$pid/status")
    kill "$pid"
    wait "$pid" 2>/dev/null || true
    times+=("$(( (shown - start) / 1000000 ))")
    rss+=("$(( kib / 1024 ))")
    echo "run $run: shown after ${times[-1]} ms, resident ${rss[-1]} MiB"
done
median() { printf '%s\n' "$@" | sort -n | awk '{a[NR]=$1} END {print a[int((NR+1)/2)]}'; }
echo "median: shown after $(median "${times[@]}") ms, resident $(median "${rss[@]}") MiB"
