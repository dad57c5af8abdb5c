#!/usr/bin/env bash
# Builds vorn_htm and converts the bundled sample mailboxes into the archive
# out/archive, then prints the path of its start page. Safe to run again: the
# first conversion rebuilds the archive (-d y), the later ones append to it.
#
#   bash scripts/demo.sh     (package installs go through sudo unless run as root)
set -euo pipefail
cd "$(dirname "$0")/.."
. scripts/packages.sh

# Another build or output folder (relative to the repository) may be named.
# The demo builds apart from the test command's folder ("build", with
# warnings as errors), so that neither rebuilds the other's files.
build=${VORN_BUILD_DIR:-build-demo}
archive=${VORN_DEMO_OUT:-out/archive}

ensure_packages "${BUILD_PACKAGES[@]}"

cmake -S . -B "$build" -G Ninja
cmake --build "$build" --target vorn_htm

# The settings file sits beside the program; start from the sample settings
# (every switch on) unless one is there already.
if [ ! -e "$build/vorn_htm.ini" ]; then
  cp samples/vorn_htm.ini "$build/vorn_htm.ini"
fi

mkdir -p "$(dirname "$archive")"
# The program expands the pattern itself: keep it quoted.
"$build/vorn_htm" -i 'samples/*.mbx' -o "$archive" -d y
"$build/vorn_htm" -i samples/welcome.eml -o "$archive"
"$build/vorn_htm" -i samples/notes.txt -o "$archive"

echo
echo "Archive written; open it in a browser:"
echo "$(cd "$archive" && pwd)/index.html"
