#!/bin/bash
# Times the search page over a large generated index in headless Chromium,
# from disk (file://), and adds up the bytes of the scripts each query loads.
#
#   bash bench/search_page.sh [--docs N] [--shards S] [--per P] [--reps R] [--scratch DIR]
#
# Builds write_search_page in build/ (the page and script as the program
# builds them in), generates the index with bench/search_index_gen.js into
# SCRATCH/search-N-S (kept for the next run; default SCRATCH /tmp/vorn-bench)
# and opens search.html?q=... R times (default 3) per query. With --per P
# (docs per doc chunk, default 500) the index of SCRATCH/search-N-S is
# linked into SCRATCH/search-N-S-P with doc chunks of P docs. The time is the
# page's own: from the start of the query (what Enter starts) to the hundred
# results drawn, as the page notes it in data-ms, and to the first rows drawn
# (the page draws the newest rows while the rest load). The bytes are those of the
# files the page loaded (srch/find.js and every index file) plus search.html.
set -euo pipefail
cd "$(dirname "$0")/.."

docs=1000000 shards=2048 per=500 reps=3 scratch=${VORN_BENCH_SCRATCH:-/tmp/vorn-bench}
while [ $# -gt 0 ]; do
  case $1 in
    --docs) docs=$2; shift 2 ;;
    --shards) shards=$2; shift 2 ;;
    --per) per=$2; shift 2 ;;
    --reps) reps=$2; shift 2 ;;
    --scratch) scratch=$2; shift 2 ;;
    *) echo "unknown option $1" >&2; exit 2 ;;
  esac
done

folder=$scratch/search-$docs-$shards
cmake --build build --target write_search_page >/dev/null
if [ ! -f "$folder/srch/ix.js" ]; then
  rm -rf "$folder"
  node bench/search_index_gen.js "$folder" --docs "$docs" --shards "$shards"
fi
if [ "$per" != 500 ]; then
  base=$folder folder=$scratch/search-$docs-$shards-$per
  if [ ! -f "$folder/srch/ix.js" ]; then
    rm -rf "$folder" && mkdir -p "$folder"
    cp -al "$base/srch" "$folder/srch"
    rm -f "$folder"/srch/ix.js "$folder"/srch/*_d*.js
    node bench/search_index_gen.js "$folder" --docs "$docs" --shards "$shards" --per "$per" --docs-only
  fi
fi
build/write_search_page "$folder"
echo "index: $(du -sbL "$folder/srch" | cut -f1) bytes in $(ls "$folder/srch" | wc -l) files ($docs docs, $shards shards, $per docs per chunk)"

# A query's median time, its hits and the bytes it loaded.
measure() {
  local query=$1 out times=() firsts=() loaded
  for ((r = 0; r < reps; r++)); do
    out=$(VORN_CHROMIUM=chromium node tests/web/browser.e2e.js "$folder" "$query")
    times+=("$(node -e 'const o = JSON.parse(process.argv[1]); console.log(o.ms)' "$out")")
    firsts+=("$(node -e 'const o = JSON.parse(process.argv[1]); console.log((/first:(\d+)/.exec(o.marks) || [, "-"])[1])' "$out")")
  done
  loaded=$(node -e 'const o = JSON.parse(process.argv[1]); console.log(o.loaded)' "$out")
  local bytes
  bytes=$(cd "$folder" && stat -L -c %s search.html srch/find.js $(for f in $loaded; do echo "srch/$f"; done) |
          awk '{s += $1} END {print s}')
  local count
  count=$(node -e 'const o = JSON.parse(process.argv[1]); console.log(o.count, o.pages.length, o.state)' "$out")
  local median first marks
  median=$(printf '%s\n' "${times[@]}" | sort -n | awk '{a[NR] = $1} END {print a[int((NR + 1) / 2)]}')
  first=$(printf '%s\n' "${firsts[@]}" | sort -n | awk '{a[NR] = $1} END {print a[int((NR + 1) / 2)]}')
  marks=$(node -e 'const o = JSON.parse(process.argv[1]); console.log(o.marks)' "$out")
  printf '%-14s %8s ms, first rows %s ms (runs: %s / %s; last: %s)  hits/shown/state: %s  files: %s  bytes: %s\n' \
    "$query" "$median" "$first" "${times[*]}" "${firsts[*]}" "$marks" "$count" "$(echo "$loaded" | wc -w)" "$bytes"
}

for q in "会議室 予約" "東京 花火" "ます です" "会議"; do
  measure "$q"
done
