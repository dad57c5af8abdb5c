#!/usr/bin/env bash
# Full builds of one mailbox by several programs, interleaved round by round
# on /dev/shm, so that a noisy machine slows them alike; prints per program
# the median CPU (user + sys), its least, the median peak RSS and wall time.
#
#   bash bench/time_builds.sh [--ini SETTINGS] ROUNDS MAILBOX PROGRAM...
#
# Each program runs in a folder of its own with no settings file (the run
# defaults), or with a copy of SETTINGS.
set -euo pipefail
ini=""
if [ "${1:-}" = --ini ]; then ini=$(realpath "$2"); shift 2; fi
rounds=$1
input=$(realpath "$2")
shift 2
programs=()
for program in "$@"; do programs+=("$(realpath "$program")"); done
scratch=$(mktemp -d /dev/shm/time_builds.XXXXXX)
trap 'rm -rf "$scratch"' EXIT
for ((r = 1; r <= rounds; r++)); do
  i=0
  for program in "${programs[@]}"; do
    i=$((i + 1))
    mkdir -p "$scratch/program-$i"
    [ -z "$ini" ] || cp "$ini" "$scratch/program-$i/vorn_htm.ini"
    rm -rf "$scratch/out"
    (cd "$scratch/program-$i" && /usr/bin/time -f "$i %U %S %M %e" -a -o "$scratch/times" \
      "$program" -i "$input" -o "$scratch/out" -d y >/dev/null 2>&1)
  done
done
python3 - "$scratch/times" "$@" <<'PY'
import statistics, sys
rows = {}
for line in open(sys.argv[1]):
    i, user, system, rss, wall = line.split()
    rows.setdefault(int(i), []).append((float(user) + float(system), int(rss), float(wall)))
for i, program in enumerate(sys.argv[2:], 1):
    r = rows[i]
    print(f"{program}: CPU median {statistics.median(x[0] for x in r):.2f} s (least {min(x[0] for x in r):.2f}),"
          f" peak RSS median {statistics.median(x[1] for x in r) / 1024:.1f} MiB,"
          f" wall median {statistics.median(x[2] for x in r):.2f} s")
PY
