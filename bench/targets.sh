#!/usr/bin/env bash
# The speed targets of a full build against the floor (bench/floor.cpp: the
# same files with the same sizes, open/write/close), each reported as met or
# not met:
#   - CPU (user + sys) at most 3x the floor's for legacy mail, 5x for modern
#     mail, with the search index off and on (the index's share beside it);
#   - wall time at most 1.5x the floor's for 1,000,000 messages;
#   - peak memory at most 0.5 KB per message + 50 MB for 1,000,000 messages.
# Each case runs the program (index off), its floor, the program (index on)
# and its floor in turn, ROUNDS rounds; the least CPU and the least wall of
# each are compared, which the noise of a shared machine disturbs least.
#
#   bash bench/targets.sh [--cases "legacy:10000 modern:10000 ..."] [--rounds N]
#                         [--binary PATH] [--search off|on|both] [--scratch DIR]
#                         [--results FILE]
#
# Default cases: legacy:10000 legacy:50000 modern:10000 modern:50000 (add
# legacy:200000 legacy:1000000 modern:200000 when there is time). Legacy
# corpora are the dot format of shared/bench/gen_corpus.py (seed 1), modern
# ones the mbox of bench/gen_modern.py (seed 1); both are generated into the
# scratch folder once. Archives are written to /dev/shm.
set -euo pipefail

REPO=$(cd "$(dirname "$0")/.." && pwd)
GEN=${VORN_BENCH_GEN:-$REPO/../shared/bench/gen_corpus.py}
SCRATCH=${VORN_BENCH_SCRATCH:-/tmp/vorn-targets}
CASES="legacy:10000 legacy:50000 modern:10000 modern:50000"
ROUNDS=5
BINARY=$REPO/build/vorn_htm
SEARCH=both
RESULTS=""
while (($#)); do
  case $1 in
    --cases) CASES=$2; shift ;;
    --rounds) ROUNDS=$2; shift ;;
    --binary) BINARY=$2; shift ;;
    --search) SEARCH=$2; shift ;;
    --scratch) SCRATCH=$2; shift ;;
    --results) RESULTS=$2; shift ;;
    *) sed -n '2,21p' "$0" | sed 's/^# \{0,1\}//' >&2; exit 2 ;;
  esac
  shift
done
[[ $ROUNDS =~ ^[1-9][0-9]*$ ]] || { echo "targets.sh: --rounds needs a positive number" >&2; exit 2; }
[[ $SEARCH =~ ^(off|on|both)$ ]] || { echo "targets.sh: --search is off, on or both" >&2; exit 2; }
[[ -x $BINARY ]] || { echo "targets.sh: no program $BINARY" >&2; exit 2; }
[[ -x /usr/bin/time ]] || { echo "targets.sh: /usr/bin/time is needed (apt-get install time)" >&2; exit 1; }

mkdir -p "$SCRATCH"/{corpus,bin-off,bin-on}
SCRATCH=$(cd "$SCRATCH" && pwd)
OUT=$(mktemp -d /dev/shm/vorn-targets.XXXXXX)
trap 'rm -rf "$OUT"' EXIT
TIMES=$SCRATCH/times.tsv
: >"$TIMES"
say() { printf '[%(%H:%M:%S)T] %s\n' -1 "$*" >&2; }

# The settings file is read from the program's folder: none for the run
# defaults, one that turns the search index on.
cp "$BINARY" "$SCRATCH/bin-off/vorn_htm"
rm -f "$SCRATCH/bin-off/vorn_htm.ini"
cp "$BINARY" "$SCRATCH/bin-on/vorn_htm"
printf '[vorn_htm]\r\nSRCH_IX=1\r\n' >"$SCRATCH/bin-on/vorn_htm.ini"
FLOOR=$SCRATCH/floor
g++ -O2 -std=c++20 -Wall -Wextra "$REPO/bench/floor.cpp" -o "$FLOOR"

# corpus KIND N: path of the corpus, generated unless already there.
corpus() {
  local kind=$1 n=$2 dir=$SCRATCH/corpus/$1-$2
  if [[ ! -e $dir/.done ]]; then
    say "generating $n messages of $kind mail"
    rm -rf "$dir"
    if [[ $kind == legacy ]]; then
      python3 "$GEN" --messages "$n" --seed 1 --format dot --out "$dir" >/dev/null
    else
      python3 "$REPO/bench/gen_modern.py" "$n" --seed 1 --format mbox --out "$dir" >/dev/null
    fi
    touch "$dir/.done"
  fi
  if [[ $kind == legacy ]]; then echo "$dir/corpus.mbx"; else echo "$dir/corpus.mbox"; fi
}

# timed CASE WHO CMD...: one run into $OUT/run (made afresh), its times
# appended to the table: case, who, user, sys, peak KB, wall.
timed() {
  local case=$1 who=$2
  shift 2
  rm -rf "$OUT/run"
  sync
  /usr/bin/time -f "$case	$who	%U	%S	%M	%e" -a -o "$TIMES" "$@" >"$SCRATCH/last.log" 2>&1 ||
    { echo "targets.sh: $who of $case failed:" >&2; tail -5 "$SCRATCH/last.log" >&2; exit 1; }
}

modes=()
[[ $SEARCH != on ]] && modes+=(off)
[[ $SEARCH != off ]] && modes+=(on)
for c in $CASES; do
  kind=${c%%:*} n=${c#*:}
  [[ $kind =~ ^(legacy|modern)$ && $n =~ ^[0-9]+$ ]] || { echo "targets.sh: bad case $c" >&2; exit 2; }
  input=$(corpus "$kind" "$n")
  # The floor writes the files of the archive the program wrote (every run
  # writes the same files).
  for m in "${modes[@]}"; do
    rm -rf "$OUT/run"
    "$SCRATCH/bin-$m/vorn_htm" -i "$input" -o "$OUT/run" -d y >/dev/null 2>&1
    find "$OUT/run" -type f -printf '%s\t%P\0' >"$SCRATCH/manifest-$m"
  done
  say "$c: $ROUNDS rounds of ${modes[*]}, each with its floor"
  for ((r = 1; r <= ROUNDS; r++)); do
    for m in "${modes[@]}"; do
      timed "$c" "program-$m" "$SCRATCH/bin-$m/vorn_htm" -i "$input" -o "$OUT/run" -d y
      timed "$c" "floor-$m" "$FLOOR" "$input" "$SCRATCH/manifest-$m" "$OUT/run"
    done
  done
  rm -rf "$OUT/run"
done

python3 - "$TIMES" "$BINARY" "$ROUNDS" >"${RESULTS:-/dev/stdout}" <<'PY'
import sys
rows = {}
order = []
for line in open(sys.argv[1]):
    case, who, user, system, kb, wall = line.rstrip("\n").split("\t")
    if case not in rows:
        order.append(case)
    rows.setdefault(case, {}).setdefault(who, []).append((float(user) + float(system), int(kb), float(wall)))
print(f"Program {sys.argv[2]}, least of {sys.argv[3]} interleaved runs of each (CPU = user + sys).\n")
print("| corpus | search index | program CPU s | floor CPU s | CPU ratio | program wall s | floor wall s "
      "| wall ratio | peak RSS MB | index share of CPU |")
print("|---|---|---:|---:|---:|---:|---:|---:|---:|---:|")
verdicts = []
for case in order:
    kind, n = case.split(":")
    n = int(n)
    limit = 3.0 if kind == "legacy" else 5.0
    r = rows[case]
    for m in ("off", "on"):
        if f"program-{m}" not in r:
            continue
        p, f = r[f"program-{m}"], r[f"floor-{m}"]
        pc, fc = min(x[0] for x in p), min(x[0] for x in f)
        pw, fw = min(x[2] for x in p), min(x[2] for x in f)
        rss = max(x[1] for x in p) / 1024
        share = ""
        if m == "on" and "program-off" in r:
            off = min(x[0] for x in r["program-off"])
            share = f"{pc - off:+.2f} s ({(pc - off) / pc * 100:.0f} %)"
        print(f"| {kind} {n:,} | {m} | {pc:.2f} | {fc:.2f} | {pc / fc:.2f}× | {pw:.2f} | {fw:.2f} | {pw / fw:.2f}× "
              f"| {rss:.1f} | {share} |")
        ok = pc <= limit * fc
        verdicts.append(f"- {kind} {n:,}, index {m}: CPU {pc / fc:.2f}× the floor, at most {limit:g}×: "
                        f"**{'met' if ok else 'not met'}**")
        if n >= 1_000_000:
            verdicts.append(f"- {kind} {n:,}, index {m}: wall {pw / fw:.2f}× the floor, at most 1.5×: "
                            f"**{'met' if pw <= 1.5 * fw else 'not met'}**")
            cap = 0.5 * n / 1024 + 50
            verdicts.append(f"- {kind} {n:,}, index {m}: peak memory {rss:.0f} MB, at most {cap:.0f} MB: "
                            f"**{'met' if rss <= cap else 'not met'}**")
print()
print("\n".join(verdicts))
PY
