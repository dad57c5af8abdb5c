#!/usr/bin/env bash
# What the search index (SRCH_IX=1) costs: index size per message, the CPU of
# a full build with and without it, an append of 1,000 with and without it,
# and the false-positive rate of two-word queries; see bench/README.md.
#   bash bench/search_index.sh [--binary PATH] [--scratch DIR] [--out-dir DIR]
#                              [--legacy N] [--modern N] [--reps N] [--results FILE] [--no-fp]
# --no-fp leaves out the false-positive check (what the index finds does not
# depend on the CPU it took), which takes longer than the builds.
set -euo pipefail

REPO=$(cd "$(dirname "$0")/.." && pwd)
SCRATCH=${VORN_BENCH_SCRATCH:-/tmp/vorn-bench-srch}
OUTDIR=/dev/shm/vorn-bench-srch-out
GEN=${VORN_BENCH_GEN:-$REPO/../shared/bench/gen_corpus.py}
BINARY=$REPO/build-bench/vorn_htm
LEGACY=200000
MODERN=50000
REPS=1
RESULTS=""
ADD=1000
FP=1
while (($#)); do
  case $1 in
    --binary) BINARY=$2; shift ;;
    --scratch) SCRATCH=$2; shift ;;
    --out-dir) OUTDIR=$2; shift ;;
    --legacy) LEGACY=$2; shift ;;
    --modern) MODERN=$2; shift ;;
    --reps) REPS=$2; shift ;;
    --results) RESULTS=$2; shift ;;
    --no-fp) FP=0 ;;
    *) sed -n '2,8p' "$0" | sed 's/^# \{0,1\}//' >&2; exit 2 ;;
  esac
  shift
done
RESULTS=${RESULTS:-$SCRATCH/RESULTS-search.md}
mkdir -p "$SCRATCH"/{corpus,logs} "$OUTDIR"
if [[ ! -x $BINARY ]]; then
  cmake -S "$REPO" -B "$REPO/build-bench" -G Ninja -DCMAKE_BUILD_TYPE=Release -DVORN_TESTS=OFF >/dev/null
  cmake --build "$REPO/build-bench" --target vorn_htm >/dev/null
fi
# Two program folders: the run defaults with the index off, and with it on.
for mode in off on; do
  mkdir -p "$SCRATCH/bin-$mode"
  cp "$BINARY" "$SCRATCH/bin-$mode/vorn_htm"
  printf '[vorn_htm]\r\nSRCH_IX=%s\r\n' "$([[ $mode == on ]] && echo 1 || echo 0)" >"$SCRATCH/bin-$mode/vorn_htm.ini"
done

corpus() {  # corpus KIND N SEED: path of the corpus, generated unless there
  local kind=$1 n=$2 seed=$3 dir=$SCRATCH/corpus/$1-$2_s$3
  if [[ ! -e $dir/.done ]]; then
    if [[ $kind == legacy ]]; then
      python3 "$GEN" --messages "$n" --seed "$seed" --format dot --out "$dir" >"$SCRATCH/logs/gen-$kind-$n.log"
    else
      python3 "$REPO/bench/gen_modern.py" "$n" --seed "$seed" --format mbox --out "$dir" >"$SCRATCH/logs/gen-$kind-$n.log"
    fi
    touch "$dir/.done"
  fi
  local f
  for f in "$dir"/corpus.mbx "$dir"/corpus.mbox; do
    if [[ -e $f ]]; then echo "$f"; return; fi
  done
}

# timed ARGS...: runs the program once; sets CPU (user + system seconds) and WALL.
timed() {
  sync
  /usr/bin/time -f "%e %U %S %M" -o "$SCRATCH/logs/time" "$@" >/dev/null 2>"$SCRATCH/logs/err" || {
    cat "$SCRATCH/logs/err" >&2; return 1; }
  read -r WALL user sys RSS <"$SCRATCH/logs/time"
  CPU=$(python3 -c "print(f'{$user + $sys:.2f}')")
}
median() { python3 -c "import statistics,sys; print(f'{statistics.median(map(float, sys.argv[1:])):.2f}')" "$@"; }

{
  echo "## Search index (SRCH_IX), $(date -u +%Y-%m-%d), $(git -C "$REPO" rev-parse --short HEAD)"
  echo
  echo "| corpus | messages | full CPU off s | full CPU on s | ratio | full wall off s | on s | append $ADD CPU off s | on s | difference s | index bytes/message | false positives | misses |"
  echo "|---|---|---|---|---|---|---|---|---|---|---|---|---|"
} >"$RESULTS"
for corpus in "legacy $LEGACY" "modern $MODERN"; do
  read -r kind n <<<"$corpus"
  base=$(corpus "$kind" "$n" 1)
  add=$(corpus "$kind" "$ADD" 2)
  declare -A full=() app=() wall=() fl=() ap=() wl=()
  # Off and on take turns, so that a change in the machine's load falls on both.
  for ((r = 0; r < REPS; r++)); do
    for mode in off on; do
      rm -rf "$OUTDIR/$mode"
      timed "$SCRATCH/bin-$mode/vorn_htm" -i "$base" -o "$OUTDIR/$mode" -d y
      fl[$mode]+=" $CPU" wl[$mode]+=" $WALL"
      # The append into the base just built, in place, as a nightly run does.
      timed "$SCRATCH/bin-$mode/vorn_htm" -i "$add" -o "$OUTDIR/$mode"
      ap[$mode]+=" $CPU"
    done
  done
  for mode in off on; do
    # shellcheck disable=SC2086
    full[$mode]=$(median ${fl[$mode]}) wall[$mode]=$(median ${wl[$mode]}) app[$mode]=$(median ${ap[$mode]})
  done
  bytes=$(du -sb "$OUTDIR/on/srch" | cut -f1)
  per=$(python3 -c "print(round($bytes / ($n + $ADD)))")
  if ((FP)); then
    fp=$(node "$REPO/bench/search_fp.js" "$OUTDIR/on" 40 3000 | tee "$SCRATCH/logs/fp-$kind.log" | tail -1)
    read -r _ _ _ listed _ fps _ rate _ misses _ checked <<<"$fp"
    fpcol="$fps of $listed ($rate)" misscol="$misses of $checked"
  else
    fpcol="not run" misscol="not run"
  fi
  ratio=$(python3 -c "print(f'{${full[on]} / ${full[off]}:.2f}')")
  diff=$(python3 -c "print(f'{${app[on]} - ${app[off]}:.2f}')")
  echo "| $kind | $n | ${full[off]} | ${full[on]} | $ratio | ${wall[off]} | ${wall[on]} | ${app[off]} | ${app[on]} | $diff | $per | $fpcol | $misscol |" >>"$RESULTS"
  rm -rf "$OUTDIR/off" "$OUTDIR/on"
done
cat "$RESULTS"
