#!/usr/bin/env bash
# The window run against the command line on one mailbox, in one run:
#   bash bench/window_gap.sh MAILBOX [ROUNDS] [BUILD-FOLDER]   (writes into /dev/shm)
# Alternates a command-line full build (vorn_htm -i MAILBOX -o DIR -d y) and
# a window run of the same file (vorn_window_gap, offscreen), ROUNDS times
# (default 5), and prints the medians: wall time, CPU time (user + sys), and
# the window thread's longest gap between two ticks of a 50 ms timer.
set -euo pipefail
MAILBOX=$1
ROUNDS=${2:-5}
BUILD=${3:-$(cd "$(dirname "$0")/.." && pwd)/build}
# The archives go to memory where there is room (as bench/run.sh writes
# them), so that the disk's own pace does not swamp the comparison.
SCRATCH=$(mktemp -d "$( [[ -d /dev/shm && -w /dev/shm ]] && echo /dev/shm || echo /tmp )/vorn-gap.XXXXXX")
trap 'rm -rf "$SCRATCH"' EXIT
# Both run with the same allocator setting: without the huge pages the
# program asks for on its own (app/main.cpp), whose cost in compaction
# depends on how fragmented the machine's memory happens to be.
export GLIBC_TUNABLES=glibc.malloc.hugetlb=0
export QT_QPA_PLATFORM=offscreen

median() { sort -g | awk '{v[NR]=$1} END {print (NR%2) ? v[(NR+1)/2] : (v[NR/2]+v[NR/2+1])/2}'; }

: >"$SCRATCH/cli" && : >"$SCRATCH/win"
for ((r = 1; r <= ROUNDS; r++)); do
  rm -rf "$SCRATCH/out"
  /usr/bin/time -f "%e %U %S" -o "$SCRATCH/t" "$BUILD/vorn_htm" -i "$MAILBOX" -o "$SCRATCH/out" -d y >/dev/null
  awk '{printf "%s %.3f\n", $1, $2 + $3}' "$SCRATCH/t" >>"$SCRATCH/cli"
  rm -rf "$SCRATCH/out"
  line=$("$BUILD/vorn_window_gap" "$MAILBOX" "$SCRATCH/out" 2>/dev/null)
  echo "$line" | sed -E 's/.*wall_s=([0-9.]+) cpu_s=([0-9.]+).*longest_gap_ms=([0-9.]+).*/\1 \2 \3/' >>"$SCRATCH/win"
  echo "round $r: cli $(tail -1 "$SCRATCH/cli")  window $(tail -1 "$SCRATCH/win")" >&2
done
cli_wall=$(cut -d' ' -f1 "$SCRATCH/cli" | median)
cli_cpu=$(cut -d' ' -f2 "$SCRATCH/cli" | median)
win_wall=$(cut -d' ' -f1 "$SCRATCH/win" | median)
win_cpu=$(cut -d' ' -f2 "$SCRATCH/win" | median)
gap=$(cut -d' ' -f3 "$SCRATCH/win" | median)
gap_max=$(cut -d' ' -f3 "$SCRATCH/win" | sort -g | tail -1)
echo "| run | wall s (median) | CPU s user+sys (median) | longest gap of the 50 ms timer |"
echo "|---|---|---|---|"
echo "| command line | $cli_wall | $cli_cpu | - |"
echo "| window | $win_wall | $win_cpu | median $gap ms, worst $gap_max ms |"
awk -v a="$win_wall" -v b="$cli_wall" -v c="$win_cpu" -v d="$cli_cpu" \
  'BEGIN {printf "window / command line: wall %.3f, CPU %.3f (%d rounds)\n", a / b, c / d, '"$ROUNDS"'}'
