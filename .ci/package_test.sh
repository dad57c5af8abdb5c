#!/usr/bin/env bash
# The Debian package, as a user meets it: made from the CI build with cpack,
# checked (lintian, desktop-file-validate, appstreamcli, man), installed with
# apt-get on this machine, run by an ordinary account made for the test, then
# purged, after which nothing of it may be left outside that account's home.
#
#   bash .ci/package_test.sh [BUILD-FOLDER]     (default: $VORN_BUILD_DIR or build)
#
# Runs as root, without standard input. Removes the account and the package
# again, also when a check fails.
set -euo pipefail
cd "$(dirname "$0")/.."
repo=$PWD
export DEBIAN_FRONTEND=noninteractive
build=${1:-${VORN_BUILD_DIR:-build}}
build=$(cd "$build" && pwd)

if [ "$(id -u)" -ne 0 ]; then
  echo "package_test: must run as root" >&2
  exit 1
fi

fail() {
  echo "package_test: FAILED: $*" >&2
  exit 1
}

echo "== package tools"
apt-get update -qq
apt-get install -y -qq --no-install-recommends desktop-file-utils appstream lintian man-db dpkg-dev fakeroot file \
  passwd util-linux >/dev/null

echo "== files of the package, checked on their own"
desktop-file-validate packaging/vorn_htm.desktop
appstreamcli validate --no-net packaging/*.metainfo.xml
for loc in C.UTF-8 C; do
  warnings=$(LC_ALL=$loc MANWIDTH=80 man --warnings -l packaging/vorn_htm.1 2>&1 >/dev/null)
  [ -z "$warnings" ] || fail "man page warnings ($loc): $warnings"
done
echo "man page: no warnings"

echo "== cpack -G DEB"
version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$build/CMakeCache.txt")
arch=$(dpkg --print-architecture)
deb=$build/vorn-htm_${version}_${arch}.deb
rm -f "$deb"
(cd "$build" && cpack -G DEB >/dev/null)
[ -f "$deb" ] || fail "cpack made no $deb"
dpkg-deb --field "$deb" Package Version Architecture Depends
if grep -q '^VORN_WINDOWS:BOOL=ON' "$build/CMakeCache.txt"; then
  dpkg-deb --field "$deb" Depends | grep -q 'fonts-ipafont-gothic.*libqt6svg6' || fail "the window build must depend on the IPA fonts and the SVG plugins"
fi

echo "== lintian"
# Errors fail the test; warnings and notes are shown.
lintian --fail-on error --display-info "$deb" 2>&1 | grep -v '^running with root privileges' || true
lintian --fail-on error "$deb" >/dev/null 2>&1 || fail "lintian reports errors"
# Nothing about the licence or the desktop entry's file code.
tags=$(lintian "$deb" 2>/dev/null | grep -E 'desktop-mime-but-no-exec-code|copyright|license|licence' || true)
[ -z "$tags" ] || fail "lintian: $tags"
appstreamcli validate --no-net --pedantic packaging/*.metainfo.xml 2>&1 | grep -i licen && fail "appstreamcli reports about the licence"

user=vornpkgtest
home=/home/$user
dpkg -s vorn-htm >/dev/null 2>&1 && fail "vorn-htm is installed already; this test needs a machine without it"
id "$user" >/dev/null 2>&1 && fail "account $user exists already"

cleanup() {
  if dpkg -s vorn-htm >/dev/null 2>&1; then apt-get purge -y -qq vorn-htm >/dev/null 2>&1 || true; fi
  if id "$user" >/dev/null 2>&1; then userdel -r "$user" >/dev/null 2>&1 || true; fi
  rm -rf "$scratch"
}
scratch=$(mktemp -d /tmp/vorn_package_test.XXXXXX)
trap cleanup EXIT

# What the package holds that was not on the machine before it.
dpkg-deb --fsys-tarfile "$deb" | tar -t | sed 's|^\./|/|; s|/$||' | grep -v '^$' >"$scratch/content"
while read -r p; do
  [ -e "$p" ] || echo "$p"
done <"$scratch/content" >"$scratch/new_paths"
touch "$scratch/stamp"
sleep 1

echo "== apt-get install ./$(basename "$deb")"
apt-get install -y -qq "$deb" >/dev/null
dpkg -L vorn-htm >"$scratch/dpkg_list"
command -v vorn_htm | grep -qx /usr/bin/vorn_htm || fail "vorn_htm is not /usr/bin/vorn_htm"
for f in /usr/share/applications/vorn_htm.desktop /usr/share/icons/hicolor/scalable/apps/vorn_htm.svg \
  /usr/share/man/man1/vorn_htm.1.gz /usr/share/vorn_htm/vorn_htm.ini; do
  [ -f "$f" ] || fail "$f not installed"
done
for page in help/*.html; do
  [ -f "$page" ] || continue
  [ -f "/usr/share/vorn_htm/$(basename "$page")" ] || fail "help page $(basename "$page") not installed"
done
desktop-file-validate /usr/share/applications/vorn_htm.desktop
appstreamcli validate --no-net /usr/share/metainfo/*vorn_htm*.metainfo.xml
man -w vorn_htm | grep -q '/usr/share/man/man1/vorn_htm.1' || fail "man does not find vorn_htm"

echo "== the installed program, run by an ordinary account ($user)"
useradd -m -s /bin/sh "$user"
install -d -o "$user" -m 0755 "$home/mail"
install -o "$user" -m 0644 samples/*.mbx "$home/mail/"
as_user() { runuser -u "$user" -- env -i HOME="$home" PATH=/usr/bin:/bin LANG=C.UTF-8 "$@"; }
if grep -q '^VORN_WINDOWS:BOOL=ON' "$build/CMakeCache.txt"; then
  # Given no words, vorn_htm starts the windows, installed as a program of
  # their own; without a display they say so.
  [ -x /usr/lib/vorn_htm/vorn_htm-windows ] || fail "the windows program is not /usr/lib/vorn_htm/vorn_htm-windows"
  status=0
  as_user vorn_htm 2>"$scratch/windows.err" || status=$?
  [ "$status" = 1 ] && grep -q DISPLAY "$scratch/windows.err" || fail "vorn_htm without a display: status $status, $(cat "$scratch/windows.err")"
  # "Open with" words without a display stay an option error ...
  status=0
  as_user vorn_htm "$home/mail/ml-2004.mbx" 2>"$scratch/files.err" || status=$?
  [ "$status" = 2 ] && grep -q 'vorn_htm --help' "$scratch/files.err" || fail "vorn_htm FILE without a display: status $status, $(cat "$scratch/files.err")"
  # ... and a display that does not answer is named in one line, status 1.
  for words in "" "$home/mail/ml-2004.mbx"; do
    status=0
    as_user env DISPLAY=:4711 vorn_htm $words 2>"$scratch/display.err" || status=$?
    [ "$status" = 1 ] && [ "$(cat "$scratch/display.err")" = "vorn_htm: display :4711 cannot be opened (ディスプレイ :4711 を開けません)" ] ||
      fail "vorn_htm $words with DISPLAY=:4711: status $status, $(cat "$scratch/display.err")"
  done
fi
cd "$home"

as_user vorn_htm --help | grep -qF "$home/.config/vorn_htm" || fail "--help does not name $home/.config/vorn_htm"

# No settings file: the run defaults (ML_RANK on: a ranking page).
as_user vorn_htm -i "$home/mail/*.mbx" -o archive -d y || fail "first run: exit status $?"
for f in index.html menu.html m0000001.htm rank_hyo.htm; do
  [ -f "$home/archive/$f" ] || fail "archive/$f not written"
done
his=$home/.config/vorn_htm/vorn_htm.his
[ -f "$his" ] || fail "no history in $his"
grep -qx "$home/archive"$'\r' "$his" || fail "the history does not hold the absolute folder $home/archive"
[ "$(stat -c %U "$home/.config/vorn_htm")" = "$user" ] || fail "the settings folder is not the account's"
[ ! -e /usr/bin/vorn_htm.his ] || fail "the history was written beside the program"
grep -qi 'bgcolor="#1a2b3c"' "$home/archive/m0000001.htm" && fail "the test colour is there before any settings file"

# A settings file in the account's folder: no ranking page, another background.
printf '[vorn_htm]\r\nML_RANK=0\r\nBGR_COL=#1a2b3c\r\n' >"$home/.config/vorn_htm/vorn_htm.ini"
chown "$user" "$home/.config/vorn_htm/vorn_htm.ini"
as_user vorn_htm -i "$home/mail/*.mbx" -o "$home/archive" -d y || fail "run with settings: exit status $?"
[ ! -e "$home/archive/rank_hyo.htm" ] || fail "ML_RANK=0 in the settings file was not honoured"
grep -qi 'bgcolor="#1a2b3c"' "$home/archive/m0000001.htm" || fail "BGR_COL of the settings file was not honoured"

# A settings file the account cannot read: the message names it; exit 1.
chmod 000 "$home/.config/vorn_htm/vorn_htm.ini"
set +e
as_user vorn_htm -i "$home/mail/*.mbx" -o "$home/archive2" 2>"$scratch/unreadable.err"
status=$?
set -e
cat "$scratch/unreadable.err"
[ "$status" -eq 1 ] || fail "unreadable settings file: exit status $status, not 1"
grep -qF "設定ファイルを読み込めません" "$scratch/unreadable.err" || fail "the message does not say the settings file"
grep -qF "$home/.config/vorn_htm/vorn_htm.ini" "$scratch/unreadable.err" || fail "the message does not name the file"
grep -qF "Permission denied" "$scratch/unreadable.err" || fail "the message does not give the reason"
[ ! -e "$home/archive2" ] || fail "a run that stopped for its settings made the output folder"

echo "== apt-get purge vorn-htm"
cd "$repo"
apt-get purge -y -qq vorn-htm >/dev/null
left=0
while read -r p; do
  if grep -qxF "$p" "$scratch/new_paths" && [ -e "$p" ]; then
    echo "left behind: $p"
    left=1
  fi
done <"$scratch/dpkg_list"
# Nothing else of it outside the account's home: no file named after it, and
# no mention in the desktop's caches.
find /usr /etc /var /opt /srv /root -xdev -newer "$scratch/stamp" -name '*vorn*' \
  -not -path '/var/lib/dpkg/*' -not -path '/var/log/*' -print 2>/dev/null | tee "$scratch/found"
[ -s "$scratch/found" ] && left=1
for cache in /usr/share/applications/mimeinfo.cache /usr/share/icons/hicolor/icon-theme.cache; do
  if [ -f "$cache" ] && grep -q vorn_htm "$cache"; then
    echo "left behind in $cache"
    left=1
  fi
done
[ "$left" -eq 0 ] || fail "the package left files behind"
man -w vorn_htm >/dev/null 2>&1 && fail "man still finds vorn_htm after the purge"
echo "package_test: OK ($(basename "$deb"))"
