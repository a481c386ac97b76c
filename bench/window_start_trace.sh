#!/bin/sh
# Times the window's start: the program reports when its window has first been painted (fonts
# loaded, settings read, views drawn), measured from the moment the kernel started the process,
# and then ends. Runs it RUNS times under Xvfb on a copy of the sample workspace and prints each
# time and the median. Given tavrel, the figure holds its hand-over: tavrel replaces itself by
# tavrel-window (one process, so the start time counts from tavrel's start); given
# tavrel-window, the window alone.
#   bench/window_start_trace.sh build/release/tavrel [RUNS]
#   bench/window_start_trace.sh build/release/tavrel-window [RUNS]
set -eu
program=${1:?usage: window_start_trace.sh PATH/TO/tavrel[-window] [RUNS]}
runs=${2:-15}
root=$(cd "$(dirname "$0")/.." && pwd)
home=$(mktemp -d)
runtime=$(mktemp -d)
trap 'rm -rf "$home" "$runtime"' EXIT
cp -r "$root/data/sample/." "$home/"
TMPDIR=$runtime xvfb-run -a -s "-screen 0 1280x1024x24" sh -c '
  program=$1 home=$2 runs=$3
  i=0
  while [ "$i" -lt "$runs" ]; do
    TAVREL_TRACE_START=exit "$program" --home "$home" 2>&1 | sed -n "s/.*painted \([0-9.]*\) ms.*/\1/p"
    i=$((i + 1))
  done
' trace "$program" "$home" "$runs" | sort -n | awk '
  { times[NR] = $1; printf "start %s ms\n", $1 }
  END { if (NR) printf "median of %d starts: %s ms\n", NR, times[int((NR + 1) / 2)] }'
