#!/usr/bin/env bash
# Checks that two builds of vorn_htm write the same archives, byte for byte:
# for the bundled samples and for the benchmark corpora, a full build and an
# append, with the run defaults, with the settings of samples/vorn_htm.ini,
# and with those and every later setting on (the index for search, the
# links between pages, addresses hidden, the feed). Every file of the output folder is compared, the
# hidden ones included; of the menu index only the stamp of menu.html it
# records (modification time, change time, inode) and its hash are left out,
# since they differ between any two runs.
#
#   bash bench/same_archives.sh --ref OLD_BINARY --new NEW_BINARY [--quick] [--scratch DIR] [--time]
#
# --quick: only the samples and corpora of 2,000 messages. --time: also run
# the full builds of both binaries in turn (3 rounds) and print their CPU
# time (user + sys) and peak memory, medians, side by side.
# Exit 0 when every archive is the same, 1 when one differs (the first
# differing files are listed), 2 on a usage error.
set -euo pipefail

REPO=$(cd "$(dirname "$0")/.." && pwd)
GEN=${VORN_BENCH_GEN:-$REPO/../shared/bench/gen_corpus.py}
SCRATCH=${VORN_BENCH_SCRATCH:-/tmp/vorn-same}
REF="" NEW="" QUICK=0 TIME=0
while (($#)); do
  case $1 in
    --ref) REF=$2; shift ;;
    --new) NEW=$2; shift ;;
    --quick) QUICK=1 ;;
    --time) TIME=1 ;;
    --scratch) SCRATCH=$2; shift ;;
    *) sed -n '2,14p' "$0" | sed 's/^# \{0,1\}//' >&2; exit 2 ;;
  esac
  shift
done
[[ -x $REF && -x $NEW ]] || { echo "same_archives.sh: --ref and --new must name programs" >&2; exit 2; }

if ((QUICK)); then LEGACY=2000 MODERN=2000 ADD=200; else LEGACY=50000 MODERN=10000 ADD=1000; fi
# Corpora are kept in the scratch folder and shared; programs, logs and
# archives are this run's own (archives in memory when there is a tmpfs).
mkdir -p "$SCRATCH/corpus"
TMP=$(mktemp -d "$SCRATCH/run.XXXXXX")
OUT=$TMP/out
[[ $(stat -f -c %T /dev/shm 2>/dev/null) == tmpfs && -w /dev/shm ]] && OUT=$(mktemp -d /dev/shm/vorn-same.XXXXXX)
trap 'rm -rf "$TMP" "$OUT"' EXIT
mkdir -p "$TMP/bin" "$OUT"

# Program folders: the settings file is read beside the program.
for who in ref new; do
  for set in defaults newfile allon; do
    d=$TMP/bin/$who-$set
    mkdir -p "$d"
    src=$REF
    [[ $who == new ]] && src=$NEW
    cp "$src" "$d/vorn_htm"
    rm -f "$d/vorn_htm.ini" "$d/vorn_htm.his"
    [[ $set != defaults ]] && cp "$REPO/samples/vorn_htm.ini" "$d/vorn_htm.ini"
    [[ $set == allon ]] &&
      printf 'SRCH_IX=1\r\nNAV_LNK=1\r\nADR_HID=1\r\nBAS_URL=https://ml.example.jp/archive/\r\n' >>"$d/vorn_htm.ini"
  done
done

corpus() {  # corpus N SEED: the legacy corpus in dot format
  local dir=$SCRATCH/corpus/legacy-$1-s$2
  [[ -s $dir/corpus.mbx ]] || python3 "$GEN" --messages "$1" --seed "$2" --format dot --out "$dir" >/dev/null
  echo "$dir/corpus.mbx"
}
modern() {  # modern N SEED: the modern corpus in Unix mbox form
  local dir=$SCRATCH/corpus/modern-$1-s$2
  [[ -s $dir/corpus.mbox ]] || python3 "$REPO/bench/gen_modern.py" "$1" --seed "$2" --format mbox --out "$dir" >/dev/null
  echo "$dir/corpus.mbox"
}

# The menu index with the parts that differ between any two runs zeroed:
# the stamp of menu.html (bytes 56 to 80 of the header) and the final hash.
masked_index() {
  python3 - "$1" <<'EOF'
import sys
d = bytearray(open(sys.argv[1], 'rb').read())
if len(d) >= 88 and d[:16].startswith(b'vorn_htm index'):
    d[56:80] = bytes(24)
    d[-8:] = bytes(8)
sys.stdout.buffer.write(d)
EOF
}

# same_folder A B: lists the differences of two output folders.
same_folder() {
  local a=$1 b=$2 bad=0 f
  if ! diff <(cd "$a" && find . -type f | LC_ALL=C sort) <(cd "$b" && find . -type f | LC_ALL=C sort) >"$TMP/same"; then
    echo "  files differ:"; head -20 "$TMP/same" | sed 's/^/    /'; rm -f "$TMP/same"; return 1
  fi
  rm -f "$TMP/same"
  # One diff for every file but the menu index (a cmp per file takes most
  # of an hour for the 50,000-message archives on a busy machine).
  while IFS= read -r f; do
    echo "  differs: $f"
    bad=$((bad + 1))
    ((bad < 20)) || break
  done < <(diff -rq --exclude=.vorn_htm.index "$a" "$b" 2>&1 | sed -e "s|^Files $a/||" -e 's| and .* differ$||')
  if [[ -f $a/.vorn_htm.index || -f $b/.vorn_htm.index ]] &&
    ! cmp -s <(masked_index "$a/.vorn_htm.index") <(masked_index "$b/.vorn_htm.index"); then
    echo "  differs: ./.vorn_htm.index"
    bad=$((bad + 1))
  fi
  ((bad == 0))
}

# case NAME SETTINGS FULL_INPUT... -- APPEND_INPUT...: both binaries build
# the archive and then append to it; each state is compared.
FAILED=0
check() {
  local name=$1 set=$2; shift 2
  local full=() add=()
  while (($#)) && [[ $1 != -- ]]; do full+=("$1"); shift; done
  (($#)) && shift
  add=("$@")
  local who
  for who in ref new; do
    rm -rf "$OUT/$who"
    (cd "$TMP/bin/$who-$set" && ./vorn_htm -i "${full[@]}" -o "$OUT/$who" -d y >"$TMP/$who.log" 2>&1) ||
      { echo "$name/$set: $who failed the full build"; cat "$TMP/$who.log"; FAILED=1; return; }
  done
  if same_folder "$OUT/ref" "$OUT/new"; then echo "same: $name, $set settings, full build"; else
    echo "DIFFERENT: $name, $set settings, full build"; FAILED=1; fi
  for f in "${add[@]}"; do
    for who in ref new; do
      (cd "$TMP/bin/$who-$set" && ./vorn_htm -i "$f" -o "$OUT/$who" >"$TMP/$who.log" 2>&1) ||
        { echo "$name/$set: $who failed the append"; cat "$TMP/$who.log"; FAILED=1; return; }
    done
  done
  if ((${#add[@]})); then
    if same_folder "$OUT/ref" "$OUT/new"; then echo "same: $name, $set settings, append"; else
      echo "DIFFERENT: $name, $set settings, append"; FAILED=1; fi
  fi
}

S=$REPO/samples
samples=("$S"/*.mbx)
legacy=$(corpus "$LEGACY" 1)
legacy_add=$(corpus "$ADD" 2)
modern_full=$(modern "$MODERN" 1)
modern_add=$(modern "$ADD" 2)
for set in defaults newfile allon; do
  check samples "$set" "${samples[@]}" -- "$S/welcome.eml" "$S/notes.txt"
  check "legacy $LEGACY" "$set" "$legacy" -- "$legacy_add"
  check "modern $MODERN" "$set" "$modern_full" -- "$modern_add"
done

if ((TIME)); then
  # Full builds of both in turn, three rounds: CPU (user + sys) and peak RSS.
  for input in "$legacy" "$modern_full"; do
    for round in 1 2 3; do
      for who in ref new; do
        rm -rf "$OUT/$who"
        (cd "$TMP/bin/$who-defaults" &&
          /usr/bin/time -f "$who %U %S %M" -a -o "$TMP/time-$(basename "$(dirname "$input")")" \
            ./vorn_htm -i "$input" -o "$OUT/$who" -d y >/dev/null 2>&1)
      done
    done
    echo "time of $(basename "$(dirname "$input")") (median of 3, CPU = user + sys):"
    python3 - "$TMP/time-$(basename "$(dirname "$input")")" <<'EOF'
import sys, statistics
rows = {}
for line in open(sys.argv[1]):
    who, u, s, m = line.split()
    rows.setdefault(who, []).append((float(u) + float(s), int(m)))
for who in ('ref', 'new'):
    cpu = statistics.median(r[0] for r in rows[who]); mem = max(r[1] for r in rows[who])
    print(f"  {who}: CPU {cpu:.2f} s, peak {mem / 1024:.0f} MiB")
print(f"  new/ref CPU: {statistics.median(r[0] for r in rows['new']) / statistics.median(r[0] for r in rows['ref']):.3f}")
EOF
    rm -f "$TMP/time-$(basename "$(dirname "$input")")"
  done
fi
exit $FAILED
