#!/usr/bin/env bash
# Throughput and memory benchmark of vorn_htm; see bench/README.md.
#   bash bench/run.sh [--quick] [--reps N] [--scratch DIR] [--out-dir DIR] [--results FILE]
#                     [--mhonarc-limit SECONDS] [--no-newfile-append] [--binary PATH] [--from-head]
#                     [--new-only] [--before COMMIT] [--rounds N]
#   bash bench/run.sh --targets "legacy:10000 modern:10000 ..." [--rounds N] [--binary PATH]
#     only the speed targets against the floor, met or not (bench/targets.sh)
set -euo pipefail

REPO=$(cd "$(dirname "$0")/.." && pwd)
SCRATCH=${VORN_BENCH_SCRATCH:-/tmp/vorn-bench}
OUTDIR=""           # where the archives are written; see README.md
# The corpus generator lives in shared/, beside the checkout.
GEN=${VORN_BENCH_GEN:-$REPO/../shared/bench/gen_corpus.py}
REPS=""
QUICK=0
RESULTS=""
MH_LIMIT=1800       # seconds allowed to one MHonArc run
LONG_RUN=600        # a case whose first run takes longer is run only once
NEWFILE_APPEND=1
BINARY=""
FROM_HEAD=0         # build the committed HEAD, not the work tree
NEW_ONLY=${VORN_BENCH_NEW_ONLY:-0}  # 1: only the modern-mail cases and the before/after comparison
BEFORE=${VORN_BENCH_BEFORE:-257b9aa}  # the commit the before/after comparison builds
BEFORE_BIN=${VORN_BENCH_BEFORE_BIN:-}  # a binary of that commit already built (skips the worktree build)
ROUNDS=""           # rounds of the before/after comparison (default 5)
MODERN_GEN=$REPO/bench/gen_modern.py
TARGETS=""          # cases of the speed targets (bench/targets.sh); when given, only those run

usage() { sed -n '2,7p' "$0" | sed 's/^# \{0,1\}//'; }
while (($#)); do
  case $1 in
    --quick) QUICK=1 ;;
    --reps) REPS=$2; shift ;;
    --scratch) SCRATCH=$2; shift ;;
    --out-dir) OUTDIR=$2; shift ;;
    --results) RESULTS=$2; shift ;;
    --mhonarc-limit) MH_LIMIT=$2; shift ;;
    --no-newfile-append) NEWFILE_APPEND=0 ;;
    --binary) BINARY=$2; shift ;;
    --from-head) FROM_HEAD=1 ;;
    --new-only) NEW_ONLY=1 ;;
    --before) BEFORE=$2; shift ;;
    --rounds) ROUNDS=$2; shift ;;
    --targets) TARGETS=$2; shift ;;
    -h | --help) usage; exit 0 ;;
    *) echo "run.sh: unknown option $1" >&2; usage >&2; exit 2 ;;
  esac
  shift
done

if [[ -n $TARGETS ]]; then
  exec bash "$REPO/bench/targets.sh" --cases "$TARGETS" --rounds "${ROUNDS:-5}" --binary "${BINARY:-$REPO/build/vorn_htm}" \
    ${RESULTS:+--results "$RESULTS"}
fi
[[ $NEW_ONLY == 1 ]] || NEW_ONLY=0
if ((QUICK)); then
  SIZES=(1000 5000); BASE=20000; REPS=${REPS:-1}; ROUNDS=${ROUNDS:-2}
  RESULTS=${RESULTS:-$SCRATCH/RESULTS-quick.md}
else
  SIZES=(10000 50000); BASE=200000; REPS=${REPS:-3}; ROUNDS=${ROUNDS:-5}
  if ((NEW_ONLY)); then RESULTS=${RESULTS:-$SCRATCH/RESULTS-new.md}; else RESULTS=${RESULTS:-$REPO/bench/RESULTS.md}; fi
fi
# The modern-mail corpora have the same sizes; the before/after comparison
# runs on the largest legacy and modern corpus.
MODERN_SIZES=("${SIZES[@]}")
CMP_N=${SIZES[-1]}
[[ $ROUNDS =~ ^[1-9][0-9]*$ ]] || { echo "run.sh: --rounds needs a positive number" >&2; exit 2; }
ADD=1000
[[ $REPS =~ ^[1-9][0-9]*$ ]] || { echo "run.sh: --reps needs a positive number" >&2; exit 2; }
# Archives go to memory (tmpfs) when there is one: hundreds of thousands of
# files are deleted between runs, which is slow on a disk mounted with
# online discard. Every program measured writes to the same place.
if [[ -z $OUTDIR ]]; then
  if [[ $(stat -f -c %T /dev/shm 2>/dev/null) == tmpfs && -w /dev/shm ]]; then
    OUTDIR=/dev/shm/vorn-bench-out
  else
    OUTDIR=$SCRATCH/out
  fi
fi
for d in "$SCRATCH" "$OUTDIR"; do
  case $(realpath -m "$d") in "$REPO" | "$REPO"/*) echo "run.sh: $d is inside the repository" >&2; exit 2 ;; esac
done

mkdir -p "$SCRATCH"/{corpus,bin-defaults,bin-newfile,bin-before,logs} "$OUTDIR"
SCRATCH=$(cd "$SCRATCH" && pwd)
OUTDIR=$(cd "$OUTDIR" && pwd)
TSV=$SCRATCH/results.tsv
: >"$TSV"
say() { printf '[%(%H:%M:%S)T] %s\n' -1 "$*"; }

# ---------------------------------------------------------------- tools
if [[ ! -x /usr/bin/time ]]; then
  say "installing GNU time"
  apt-get install -y time >/dev/null 2>&1 || { echo "run.sh: /usr/bin/time is needed (apt-get install time)" >&2; exit 1; }
fi
if ! command -v mhonarc >/dev/null; then
  say "mhonarc not on PATH: trying apt-get install -y mhonarc"
  apt-get install -y mhonarc >"$SCRATCH/logs/apt-mhonarc.log" 2>&1 || true
fi
HAVE_MH=0
command -v mhonarc >/dev/null && HAVE_MH=1

# ---------------------------------------------------------------- build
COMMIT=$(git -C "$REPO" rev-parse --short HEAD 2>/dev/null || echo unknown)
if [[ -n $BINARY ]]; then
  say "using the given binary $BINARY"
  SRC_BIN=$BINARY
else
  src=$REPO build=$REPO/build-bench
  if ((FROM_HEAD)); then
    src=$SCRATCH/head-src build=$SCRATCH/build-head
    rm -rf "$src" && mkdir -p "$src"
    git -C "$REPO" archive "$COMMIT" | tar -x -C "$src"
  fi
  say "building the Release binary in $build"
  cmake -S "$src" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DVORN_TESTS=OFF >"$SCRATCH/logs/cmake.log" 2>&1 &&
    cmake --build "$build" --target vorn_htm >>"$SCRATCH/logs/cmake.log" 2>&1 ||
    { tail -30 "$SCRATCH/logs/cmake.log" >&2; echo "run.sh: build failed" >&2; exit 1; }
  SRC_BIN=$build/vorn_htm
fi
# The settings file is read from the program's folder: one copy without it
# (run defaults), one beside the sample file with every switch on.
[[ $SRC_BIN -ef $SCRATCH/bin-defaults/vorn_htm ]] || cp "$SRC_BIN" "$SCRATCH/bin-defaults/vorn_htm"
rm -f "$SCRATCH/bin-defaults/vorn_htm.ini"
[[ $SRC_BIN -ef $SCRATCH/bin-newfile/vorn_htm ]] || cp "$SRC_BIN" "$SCRATCH/bin-newfile/vorn_htm"
cp "$REPO/samples/vorn_htm.ini" "$SCRATCH/bin-newfile/vorn_htm.ini"
DEF=$SCRATCH/bin-defaults/vorn_htm
NEW=$SCRATCH/bin-newfile/vorn_htm
FLOOR=$SCRATCH/floor
g++ -O2 -std=c++20 -Wall -Wextra "$REPO/bench/floor.cpp" -o "$FLOOR"

# ---------------------------------------------------------------- corpora
# corpus N SEED FORMAT: path of the corpus, generated unless already there
# (the generator is deterministic, so an existing file is the same corpus).
corpus() {
  local n=$1 seed=$2 fmt=$3 ext=mbx
  [[ $fmt == mbox ]] && ext=mbox
  local dir=$SCRATCH/corpus/${n}_s$seed
  if [[ ! -s $dir/corpus.$ext || ! -e $dir/.done-$fmt ]]; then
    say "generating $n messages (seed $seed, $fmt)" >&2
    python3 "$GEN" --messages "$n" --seed "$seed" --format "$fmt" --out "$dir" >"$SCRATCH/logs/gen-${n}_s$seed-$fmt.log"
    touch "$dir/.done-$fmt"
  fi
  echo "$dir/corpus.$ext"
}
# modern_corpus N FORMAT (mbox or dot): path of the modern-mail corpus of N
# messages (seed 1), generated in both formats unless already there from the
# same version of the generator.
modern_corpus() {
  local n=$1 ext=mbox sum
  [[ $2 == dot ]] && ext=mbx
  local dir=$SCRATCH/corpus/modern-${n}_s1
  sum=$(md5sum "$MODERN_GEN" | cut -c1-12)
  if [[ ! -s $dir/corpus.mbox || ! -s $dir/corpus.mbx || ! -e $dir/.done-$sum ]]; then
    say "generating $n messages of modern mail (seed 1, mbox and dot)" >&2
    rm -rf "$dir"
    python3 "$MODERN_GEN" "$n" --seed 1 --format both --out "$dir" >"$SCRATCH/logs/gen-modern-$n.log"
    touch "$dir/.done-$sum"
  fi
  echo "$dir/corpus.$ext"
}

# ---------------------------------------------------------------- measuring
# timed LOG CMD...: runs CMD once after a sync; sets T (seconds), RSS (KB),
# CPU ("user/system" seconds) and RC.
timed() {
  local log=$1; shift
  sync
  local t0 t1
  t0=$(date +%s%N)
  set +e
  /usr/bin/time -v -o "$log.time" "$@" </dev/null >"$log" 2>&1
  RC=$?
  set -e
  t1=$(date +%s%N)
  T=$(awk -v a="$t0" -v b="$t1" 'BEGIN { printf "%.3f", (b - a) / 1e9 }')
  RSS=$(awk -F': ' '/Maximum resident set size/ { print $2 }' "$log.time" 2>/dev/null || true)
  RSS=${RSS:-0}
  CPU=$(awk -F': ' '/User time/ { u = $2 } /System time/ { s = $2 } END { print u "/" s }' "$log.time" 2>/dev/null || true)
}

# archive_stats DIR: "pages files bytes" of an archive folder.
archive_stats() {
  local pages files bytes
  pages=$(find "$1" -maxdepth 1 -type f \( -name 'm[0-9][0-9][0-9][0-9][0-9][0-9][0-9].htm' -o -name 'msg[0-9]*.html' \) | wc -l)
  files=$(find "$1" -type f | wc -l)
  bytes=$(find "$1" -type f -printf '%s\n' | awk '{ s += $1 } END { printf "%.0f", s }')
  echo "$pages $files $bytes"
}

RUN_OFFSET=0
# bench_case ID LABEL GROUP MESSAGES PREP OUT -- CMD...
#   Runs CMD REPS times (once when the first run is longer than LONG_RUN),
#   numbering the runs after RUN_OFFSET (a case measured one run at a time,
#   in turn with others, gives one line per run; the report joins them);
#   PREP is a shell command run before each repetition, outside the timing;
#   OUT is the folder the command writes (its stats are taken after the first
#   run). Appends one line to results.tsv; a failed run ends the case.
bench_case() {
  local id=$1 label=$2 group=$3 msgs=$4 prep=$5 out=$6
  shift 7
  local times="" rsss="" cpus="" status=ok stats="0 0 0" r run
  for ((r = 1; r <= REPS; r++)); do
    run=$((r + RUN_OFFSET))
    eval "$prep"
    timed "$SCRATCH/logs/$id-$group-$run.log" "$@"
    if ((RC != 0)); then
      status="failed (exit $RC)"
      ((RC == 124)) && status="timed out (${MH_LIMIT} s)"
      say "  $label, $group: run $run $status; see $SCRATCH/logs/$id-$group-$run.log"
      tail -5 "$SCRATCH/logs/$id-$group-$run.log" | sed 's/^/    /'
      break
    fi
    say "  $label, $group: run $run: $T s, $RSS KB"
    times+="$T "
    rsss+="$RSS "
    cpus+="$CPU "
    ((run == 1)) && [[ -n $out && -d $out ]] && stats=$(archive_stats "$out")
    if ((run == 1)) && awk -v t="$T" -v l="$LONG_RUN" 'BEGIN { exit !(t > l) }'; then break; fi
  done
  printf '%s\t%s\t%s\t%s\t%s\t%s\t%s\t%s\t%s\n' "$id" "$label" "$group" "$msgs" "$status" "${times% }" "${rsss% }" "$stats" "${cpus% }" >>"$TSV"
  [[ $status == ok ]]
}

# ---------------------------------------------------------------- cases
O=$OUTDIR
OUTS=(def new floor mh copy base-def base-new cmp)
clean_out() { local d; for d in "${OUTS[@]}"; do rm -rf "${O:?}/$d"; done; }
clean_out
trap 'clean_out; rmdir "$O" 2>/dev/null || true' EXIT
LOAD_START=$(cut -d' ' -f1-3 /proc/loadavg)
START=$(date +%s)

# interleaved REPS CASE...: runs each CASE (a function name) once per
# round, REPS rounds, so that a slow spell of the shared machine falls on
# every case alike and the ratios between them stay fair. RUN_OFFSET numbers
# the runs; a case function returns non-zero to be left out of later rounds.
# (Cases run this way are not cut to one run when the first is long.)
interleaved() {
  local reps=$1 once=$REPS rep c
  shift
  local -a cases=("$@") left
  REPS=1
  for ((rep = 1; rep <= reps; rep++)); do
    RUN_OFFSET=$((rep - 1))
    left=()
    for c in "${cases[@]}"; do "$c" && left+=("$c"); done
    cases=("${left[@]}")
    ((${#cases[@]})) || break
  done
  REPS=$once
  RUN_OFFSET=0
}

LEGACY_SIZES=("${SIZES[@]}")
((NEW_ONLY)) && LEGACY_SIZES=()
for n in "${LEGACY_SIZES[@]}"; do
  mbx=$(corpus "$n" 1 dot)
  say "full builds of $n messages, run in turn"
  # The floors write the file lists of the archives (taken from the first
  # run; every run writes the same files).
  full_def() {
    bench_case full-def "full build, run defaults" "$n" "$n" "rm -rf '$O/def'" "$O/def" -- \
      "$DEF" -i "$mbx" -o "$O/def" -d y || return 1
    [[ -s $SCRATCH/manifest-$n && $RUN_OFFSET -gt 0 ]] || find "$O/def" -type f -printf '%s\t%P\0' >"$SCRATCH/manifest-$n"
    rm -rf "$O/def"
  }
  floor_def() {
    [[ -s $SCRATCH/manifest-$n ]] || return 1
    bench_case floor "floor (same files and sizes)" "$n" "$n" "rm -rf '$O/floor'" "$O/floor" -- \
      "$FLOOR" "$mbx" "$SCRATCH/manifest-$n" "$O/floor" || return 1
    rm -rf "$O/floor"
  }
  full_new() {
    bench_case full-new "full build, New-file settings" "$n" "$n" "rm -rf '$O/new'" "$O/new" -- \
      "$NEW" -i "$mbx" -o "$O/new" -d y || return 1
    # The New-file archive is larger (thread lists on every page): its own floor, for comparison.
    [[ -s $SCRATCH/manifest-new-$n && $RUN_OFFSET -gt 0 ]] || find "$O/new" -type f -printf '%s\t%P\0' >"$SCRATCH/manifest-new-$n"
    rm -rf "$O/new"
  }
  floor_new() {
    [[ -s $SCRATCH/manifest-new-$n ]] || return 1
    bench_case floor-new "floor of the New-file archive" "$n" "$n" "rm -rf '$O/floor'" "$O/floor" -- \
      "$FLOOR" "$mbx" "$SCRATCH/manifest-new-$n" "$O/floor" || return 1
    rm -rf "$O/floor"
  }
  rm -f "$SCRATCH/manifest-$n" "$SCRATCH/manifest-new-$n"
  interleaved "$REPS" full_def floor_def full_new floor_new
  [[ -s $SCRATCH/manifest-$n ]] ||
    printf 'floor\tfloor (same files and sizes)\t%s\t%s\tskipped (no defaults archive)\t\t\t0 0 0\n' "$n" "$n" >>"$TSV"
  if ((HAVE_MH)); then
    mbox=$(corpus "$n" 1 mbox)
    bench_case mhonarc "MHonArc (-outdir DIR -quiet)" "$n" "$n" "rm -rf '$O/mh' && mkdir '$O/mh'" "$O/mh" -- \
      timeout "$MH_LIMIT" mhonarc -outdir "$O/mh" -quiet "$mbox" || true
  else
    printf 'mhonarc\tMHonArc\t%s\t%s\tnot installed\t\t\t0 0 0\n' "$n" "$n" >>"$TSV"
  fi
  clean_out
done

# Append: a base archive of BASE messages (seed 1), then ADD new messages
# (seed 2) appended to it in place in every repetition.
if ((!NEW_ONLY)); then
  base=$(corpus "$BASE" 1 dot)
  add=$(corpus "$ADD" 2 dot)
fi
append_cases() {  # append_cases SUFFIX BINARY LABEL
  local sfx=$1 bin=$2 label=$3
  say "append base of $BASE messages, $label"
  # The run-defaults base is the reference of the append case and has a
  # floor target of its own: it is timed as often as any case, in turn with
  # its floor (the last run leaves the base). A New-file base is built once.
  BASE_OK=0
  base_build() {
    bench_case "full-$sfx" "full build, $label (append base)" "$BASE" "$BASE" "rm -rf '$O/base-$sfx'" "$O/base-$sfx" -- \
      "$bin" -i "$base" -o "$O/base-$sfx" -d y || { BASE_OK=0; return 1; }
    BASE_OK=1
    [[ $sfx == def ]] || return 1
    [[ -s $SCRATCH/manifest-$BASE && $RUN_OFFSET -gt 0 ]] || find "$O/base-$sfx" -type f -printf '%s\t%P\0' >"$SCRATCH/manifest-$BASE"
  }
  base_floor() {
    [[ -s $SCRATCH/manifest-$BASE ]] || return 1
    bench_case floor "floor (same files and sizes)" "$BASE" "$BASE" "rm -rf '$O/floor'" "$O/floor" -- \
      "$FLOOR" "$base" "$SCRATCH/manifest-$BASE" "$O/floor" || return 1
    rm -rf "$O/floor"
  }
  # An append into the base just built, as a nightly run appends: in place.
  # (A copy made with cp -a would give menu.html a new inode and change
  # time, which the saved menu index rightly distrusts, and the append would
  # read the whole menu.) For the run defaults it runs in turn with the
  # base's build, which rebuilds the base every round.
  base_append() {
    ((BASE_OK)) || return 1
    bench_case "append-$sfx" "append $ADD into $BASE, $label" "$BASE" "$ADD" ":" "$O/base-$sfx" -- \
      "$bin" -i "$add" -o "$O/base-$sfx" || return 1
  }
  rm -f "$SCRATCH/manifest-$BASE"
  if [[ $sfx == def ]]; then
    interleaved "$REPS" base_build base_append base_floor
  else
    interleaved 1 base_build
    base_append || true
  fi
  if ((!BASE_OK)); then
    printf 'append-%s\tappend %s into %s, %s\t%s\t%s\tskipped (no base archive)\t\t\t0 0 0\n' \
      "$sfx" "$ADD" "$BASE" "$label" "$BASE" "$ADD" >>"$TSV"
  fi
  clean_out
}
# fits_new_base: whether a New-file archive of BASE messages, extrapolated
# from the largest one built above, fits where the archives go. With subject
# threading every page carries its whole thread's list, and threads grow with
# the corpus, so the archive grows about with the square of the messages.
fits_new_base() {
  local last n bytes need room
  # (Of a case run in turn with others only the first run's line has the size.)
  last=$(awk -F'\t' '$1 == "full-new" && $5 == "ok" { split($8, a, " "); if (a[3] > 0) print $3, a[3] }' "$TSV" | tail -1)
  if [[ -z $last ]]; then
    NEED_WHY="no New-file archive above to size it by"
    return 1
  fi
  read -r n bytes <<<"$last"
  need=$(awk -v b="$bytes" -v n="$n" -v m="$BASE" 'BEGIN { printf "%.0f", b * (m / n) ^ 2 }')
  room=$(df -B1 --output=avail "$O" | tail -1)
  if [[ $(stat -f -c %T "$O") == tmpfs ]]; then
    room=$(awk -v r="$room" '/^MemAvailable/ { m = $2 * 1024; print (m < r ? m : r) }' /proc/meminfo)
  fi
  NEED_WHY="archive of about $(awk -v b="$need" 'BEGIN { printf "%.0f", b / 2^30 }') GB expected, more than fits"
  awk -v b="$need" -v r="$room" 'BEGIN { exit !(b * 1.1 + 4 * 2^30 < r) }'
}
((NEW_ONLY)) || append_cases def "$DEF" "run defaults"
if ((NEWFILE_APPEND && !NEW_ONLY)); then
  if fits_new_base; then
    append_cases new "$NEW" "New-file settings"
  else
    say "skipping the New-file base of $BASE messages: $NEED_WHY"
    for c in "full-new	full build, New-file settings (append base)	$BASE	$BASE" \
      "append-new	append $ADD into $BASE, New-file settings	$BASE	$ADD"; do
      printf '%s\tskipped (%s)\t\t\t0 0 0\n' "$c" "$NEED_WHY" >>"$TSV"
    done
  fi
fi

# ---------------------------------------------------------------- modern mail
# A corpus of today's mail (bench/gen_modern.py: MIME, UTF-8, HTML,
# attachments, legacy Japanese charsets), in Unix mbox form: the full build
# with the run defaults and its floor, in turn; MHonArc on the smallest.
for n in "${MODERN_SIZES[@]}"; do
  mmbox=$(modern_corpus "$n" mbox)
  say "full builds of $n messages of modern mail, run in turn"
  full_def_modern() {
    bench_case full-def-modern "full build, run defaults (modern mail)" "$n" "$n" "rm -rf '$O/def'" "$O/def" -- \
      "$DEF" -i "$mmbox" -o "$O/def" -d y || return 1
    [[ -s $SCRATCH/manifest-modern-$n && $RUN_OFFSET -gt 0 ]] ||
      find "$O/def" -type f -printf '%s\t%P\0' >"$SCRATCH/manifest-modern-$n"
    rm -rf "$O/def"
  }
  floor_modern() {
    [[ -s $SCRATCH/manifest-modern-$n ]] || return 1
    bench_case floor-modern "floor (same files and sizes, modern mail)" "$n" "$n" "rm -rf '$O/floor'" "$O/floor" -- \
      "$FLOOR" "$mmbox" "$SCRATCH/manifest-modern-$n" "$O/floor" || return 1
    rm -rf "$O/floor"
  }
  rm -f "$SCRATCH/manifest-modern-$n"
  interleaved "$REPS" full_def_modern floor_modern
  [[ -s $SCRATCH/manifest-modern-$n ]] ||
    printf 'floor-modern\tfloor (same files and sizes, modern mail)\t%s\t%s\tskipped (no defaults archive)\t\t\t0 0 0\n' \
      "$n" "$n" >>"$TSV"
  if [[ $n == "${MODERN_SIZES[0]}" ]]; then
    if ((HAVE_MH)); then
      bench_case mhonarc-modern "MHonArc (-outdir DIR -quiet, modern mail)" "$n" "$n" "rm -rf '$O/mh' && mkdir '$O/mh'" \
        "$O/mh" -- timeout "$MH_LIMIT" mhonarc -outdir "$O/mh" -quiet "$mmbox" || true
    else
      printf 'mhonarc-modern\tMHonArc (modern mail)\t%s\t%s\tnot installed\t\t\t0 0 0\n' "$n" "$n" >>"$TSV"
    fi
  fi
  clean_out
done

# ---------------------------------------------------------------- before / after
# The program as it was at commit BEFORE, built from a worktree in a
# temporary folder (Release, the vorn_htm target only), against the binary
# measured above, on the same corpora: ROUNDS rounds, one run of each per
# round, the order swapped every round, so that both meet the same spells of
# the shared machine. Both run with the run defaults (no settings file).
BEFORE_SHA=$(git -C "$REPO" rev-parse --verify --quiet "$BEFORE^{commit}" || true)
[[ -n $BEFORE_SHA ]] || { echo "run.sh: no commit $BEFORE in $REPO" >&2; exit 1; }
BEFORE_SHORT=$(git -C "$REPO" rev-parse --short "$BEFORE_SHA")
BEFORE_TMP=""
remove_before_tree() {
  if [[ -n $BEFORE_TMP ]]; then
    git -C "$REPO" worktree remove --force "$BEFORE_TMP/src" >/dev/null 2>&1 || true
    rm -rf "$BEFORE_TMP"
    git -C "$REPO" worktree prune >/dev/null 2>&1 || true
    BEFORE_TMP=""
  fi
}
trap 'remove_before_tree; clean_out; rmdir "$O" 2>/dev/null || true' EXIT
if [[ -n $BEFORE_BIN ]]; then
  say "before/after: using the given binary $BEFORE_BIN as commit $BEFORE_SHORT"
  [[ $BEFORE_BIN -ef $SCRATCH/bin-before/vorn_htm ]] || cp "$BEFORE_BIN" "$SCRATCH/bin-before/vorn_htm"
else
  BEFORE_TMP=$(mktemp -d "${TMPDIR:-/tmp}/vorn-bench-before.XXXXXX")
  say "building commit $BEFORE_SHORT (Release, vorn_htm only) in a worktree in $BEFORE_TMP"
  { git -C "$REPO" worktree add --detach "$BEFORE_TMP/src" "$BEFORE_SHA" &&
    cmake -S "$BEFORE_TMP/src" -B "$BEFORE_TMP/build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DVORN_TESTS=OFF &&
    cmake --build "$BEFORE_TMP/build" --target vorn_htm; } >"$SCRATCH/logs/cmake-before.log" 2>&1 ||
    { tail -30 "$SCRATCH/logs/cmake-before.log" >&2; echo "run.sh: build of $BEFORE_SHORT failed" >&2; exit 1; }
  cp "$BEFORE_TMP/build/vorn_htm" "$SCRATCH/bin-before/vorn_htm"
  remove_before_tree
fi
rm -f "$SCRATCH/bin-before/vorn_htm.ini"
BEF=$SCRATCH/bin-before/vorn_htm

# compare TAG N CORPUS LABEL: ROUNDS rounds of the before and the after binary.
compare() {
  local tag=$1 n=$2 input=$3 what=$4 r who bin
  say "before/after on $n messages, $what: $ROUNDS rounds"
  local -A alive=([before]=1 [after]=1)
  REPS=1
  for ((r = 1; r <= ROUNDS; r++)); do
    RUN_OFFSET=$((r - 1))
    for who in $( ((r % 2)) && echo before after || echo after before); do
      ((${alive[$who]})) || continue
      if [[ $who == before ]]; then bin=$BEF; else bin=$DEF; fi
      bench_case "cmp-$who-$tag" "$who ($( [[ $who == before ]] && echo "$BEFORE_SHORT" || echo "$COMMIT")), $what" \
        "$n" "$n" "rm -rf '$O/cmp'" "$O/cmp" -- "$bin" -i "$input" -o "$O/cmp" -d y || alive[$who]=0
      rm -rf "$O/cmp"
    done
  done
  REPS=$ONCE_REPS
  RUN_OFFSET=0
}
ONCE_REPS=$REPS
compare legacy "$CMP_N" "$(corpus "$CMP_N" 1 dot)" "legacy corpus (dot format)"
compare modern "$CMP_N" "$(modern_corpus "$CMP_N" mbox)" "modern mail (mbox)"
compare modern-dot "$CMP_N" "$(modern_corpus "$CMP_N" dot)" "modern mail (dot format)"
clean_out

# ---------------------------------------------------------------- report
END=$(date +%s)
META=$SCRATCH/machine.txt
fs_of() {  # file system type of a folder, and whether it discards on delete
  findmnt -no FSTYPE,OPTIONS --target "$1" 2>/dev/null | head -1 |
    awk '{ print $1 (($2 ~ /(^|,)discard(,|$)/) ? ", online discard" : "") }'
}
{
  echo "date	$(date -u '+%Y-%m-%d %H:%M UTC')"
  echo "commit	$COMMIT"
  if [[ -n $BINARY ]]; then
    echo "dirty	(binary given: $BINARY)"
  elif ((FROM_HEAD)); then
    echo "dirty	"
  else
    echo "dirty	$(git -C "$REPO" status --porcelain -- src app CMakeLists.txt 2>/dev/null | awk '{ print $2 }' | tr '\n' ' ')"
  fi
  echo "nproc	$(nproc)"
  echo "cpu	$(awk -F': ' '/^model name/ { print $2; exit }' /proc/cpuinfo)"
  echo "memory	$(awk '/^MemTotal/ { printf "%.1f GiB", $2 / 1048576 }' /proc/meminfo)"
  echo "kernel	$(uname -sr)"
  echo "compiler	$(c++ --version | head -1)"
  echo "mhonarc	$( ((HAVE_MH)) && mhonarc -v 2>&1 | awk 'NF { print $1, $2; exit }' || echo 'not installed')"
  echo "reps	$REPS"
  echo "rounds	$ROUNDS"
  echo "before	$BEFORE_SHORT"
  echo "before_built	$([[ -n $BEFORE_BIN ]] && echo "given binary $BEFORE_BIN" || echo "git worktree of $BEFORE_SHORT, Release, target vorn_htm")"
  echo "new_only	$NEW_ONLY"
  echo "quick	$QUICK"
  echo "load	$LOAD_START -> $(cut -d' ' -f1-3 /proc/loadavg)"
  echo "wall	$((END - START))"
  echo "scratch	$SCRATCH ($(fs_of "$SCRATCH"))"
  echo "outdir	$OUTDIR ($(fs_of "$OUTDIR"))"
} >"$META"
python3 "$REPO/bench/report.py" "$TSV" "$META" "$RESULTS"
say "results written to $RESULTS"
