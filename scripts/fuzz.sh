#!/usr/bin/env bash
# Builds the libFuzzer targets of fuzz/ with clang (AddressSanitizer, UBSan,
# coverage of the whole core) in build-fuzz, then runs each target in turn
# on its saved inputs for the given number of seconds (default 60).
#
#   bash scripts/fuzz.sh [seconds] [target...]
#
# New inputs go to build-fuzz/fuzz-work/<target>/, never into the repository;
# a crash, leak, slow unit or timeout is written there as crash-*, leak-*,
# slow-unit-* or timeout-*. To keep an input, minimise it
# (<target>_fuzz -minimize_crash=1 -runs=10000 FILE) and copy it into
# fuzz/corpus/<target>/ under a name that says what it shows.
set -euo pipefail
cd "$(dirname "$0")/.."
. scripts/packages.sh

seconds=${1:-60}
shift || true
targets=("$@")
if [ "${#targets[@]}" -eq 0 ]; then
  targets=(mailbox_walk menu_append settings codec mail_date attach_name search_tokens nav_lines search_spill)
fi
build=${VORN_FUZZ_BUILD_DIR:-build-fuzz}

ensure_packages cmake ninja-build clang
# libFuzzer's runtime comes with the clang runtime package of some releases
# and in a package of its own in others.
fuzzer_lib() { find /usr/lib/llvm-* -name 'libclang_rt.fuzzer-x86_64.a' -print -quit 2>/dev/null; }
if [ -z "$(fuzzer_lib)" ]; then
  ensure_packages libfuzzer-14-dev
fi

CC=clang CXX=clang++ cmake -S . -B "$build" -G Ninja -DVORN_FUZZ=ON -DVORN_TESTS=OFF -DVORN_WERROR=ON \
  -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build "$build" --target "${targets[@]/%/_fuzz}"

# The menu and append target walks a whole run per input: shorter inputs.
max_len() { [ "$1" = menu_append ] && echo 16384 || echo 65536; }

failed=0
for t in "${targets[@]}"; do
  work="$build/fuzz-work/$t"
  mkdir -p "$work/corpus" "$work/artifacts"
  log="$work/fuzz.log"
  touch "$work/started"
  echo "== $t: ${seconds}s"
  set +e
  "$build/fuzz/${t}_fuzz" "$work/corpus" "fuzz/corpus/$t" \
    -max_total_time="$seconds" -timeout=10 -rss_limit_mb=4096 -max_len="$(max_len "$t")" \
    -report_slow_units=10 -print_final_stats=1 -artifact_prefix="$work/artifacts/" >"$log" 2>&1
  rc=$?
  set -e
  grep -E '^(stat::|#[0-9]+[[:space:]]+DONE)' "$log" || tail -n 5 "$log"
  found=$(find "$work/artifacts" -type f -newer "$work/started" 2>/dev/null | wc -l)
  if [ "$rc" -ne 0 ] || [ "$found" -ne 0 ]; then
    echo "$t: FOUND A FAULT (exit $rc); see $log and $work/artifacts/"
    failed=1
  else
    echo "$t: no crash"
  fi
done
exit "$failed"
