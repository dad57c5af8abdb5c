# Shared by demo.sh, test.sh and .ci/run: install Debian packages that are
# missing, as root directly or through sudo. Source it; do not run it.

# Runs a command as root: directly when we are root, else through sudo.
as_root() {
  if [ "$(id -u)" -eq 0 ]; then
    "$@"
  elif command -v sudo >/dev/null 2>&1; then
    sudo "$@"
  else
    echo "error: '$*' needs root and sudo is not installed" >&2
    return 1
  fi
}

# ensure_packages PKG...: installs those of PKG that are not installed yet.
# Does nothing (and needs no network) when all are present.
ensure_packages() {
  local missing=() pkg
  for pkg in "$@"; do
    if ! dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null | grep -q 'install ok installed'; then
      missing+=("$pkg")
    fi
  done
  if [ "${#missing[@]}" -eq 0 ]; then
    return 0
  fi
  echo "Installing: ${missing[*]}"
  as_root env DEBIAN_FRONTEND=noninteractive apt-get update
  as_root env DEBIAN_FRONTEND=noninteractive apt-get install -y --no-install-recommends "${missing[@]}"
}

# What building and testing vorn_htm needs on Debian 12.
BUILD_PACKAGES=(cmake ninja-build g++ libgtest-dev python3 libgmime-3.0-dev pkg-config media-types
  qt6-base-dev qt6-svg-dev libqt6svg6 fonts-ipafont-mincho fonts-ipafont-gothic valgrind nodejs chromium firefox-esr libicu-dev)
