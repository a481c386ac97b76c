#!/usr/bin/env bash
# Times the start of 'tavrel --version' against 'curl --version' as whole processes: the two in
# turn for ROUNDS rounds (so a drift of the machine's speed touches both alike), wall time of
# each run from bash's clock, then the minimum and median of each and the median of the
# ratios pair by pair. Also counts the shared libraries each loads (ldd).
#   bench/command_start.sh build/release/tavrel [ROUNDS]
set -euo pipefail
program=${1:?usage: command_start.sh PATH/TO/tavrel [ROUNDS]}
rounds=${2:-41}
other=$(command -v curl) || { echo "command_start: curl is not installed" >&2; exit 1; }

# Microseconds since the epoch, from bash's own clock (no process started to read it).
now() { local t=${EPOCHREALTIME/./}; echo "$t"; }

ours=() theirs=() ratios=()
for _ in 1 2 3; do "$program" --version >/dev/null; "$other" --version >/dev/null; done
for ((round = 0; round < rounds; ++round)); do
  start=$(now); "$program" --version >/dev/null; middle=$(now)
  "$other" --version >/dev/null; end=$(now)
  ours+=($((middle - start))) theirs+=($((end - middle)))
  ratios+=("$(awk -v a=$((middle - start)) -v b=$((end - middle)) 'BEGIN { printf "%.3f", a / b }')")
done

summary() {  # name values...: minimum and median in milliseconds
  local name=$1; shift
  printf '%s\n' "$@" | sort -n | awk -v name="$name" '
    { v[NR] = $1 } END { printf "%-22s min %.1f ms  median %.1f ms\n", name, v[1] / 1000, v[int((NR + 1) / 2)] / 1000 }'
}
echo "$rounds rounds, in turn"
summary "$(basename "$program") --version" "${ours[@]}"
summary "curl --version" "${theirs[@]}"
printf '%s\n' "${ratios[@]}" | sort -n | awk '{ v[NR] = $1 } END { printf "ratio pair by pair     median %.2f\n", v[int((NR + 1) / 2)] }'
echo "shared libraries: $(basename "$program") $(ldd "$program" | wc -l), curl $(ldd "$other" | wc -l)"
