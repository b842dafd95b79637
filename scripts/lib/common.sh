# Shared by the scripts in scripts/: locate the project, install missing Debian
# packages, configure and build a preset. Source it; do not run it.
set -euo pipefail

ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
cd "$ROOT"

# What building and testing need on a fresh Debian/Ubuntu machine.
BUILD_PACKAGES=(
  cmake ninja-build g++ pkg-config libelf-dev
  qt6-base-dev qt6-base-dev-tools qt6-tools-dev qt6-tools-dev-tools qt6-l10n-tools
  libgl-dev libxkbcommon-dev qt6-qpa-plugins
  fonts-liberation2 fonts-dejavu-core
)
TEST_PACKAGES=(xvfb xauth xdotool x11-apps imagemagick binutils clang-format git
  dbus-daemon at-spi2-core python3-pyatspi)
# What the benchmarks read and drive: the Greek word list, an external
# clipboard, keyboard layouts, and the accessibility bus a screen reader uses.
BENCH_PACKAGES=(hunspell-el time xclip x11-xkb-utils at-spi2-core python3-pyatspi dbus-daemon)
# Making and checking the Debian package and the installed desktop files.
PACKAGE_PACKAGES=(dpkg-dev file desktop-file-utils appstream)

# Installs whichever of the given packages are missing, with sudo when not root.
ensure_packages() {
  local missing=() p
  for p in "$@"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
  done
  ((${#missing[@]})) || return 0
  local sudo=()
  [[ $(id -u) -eq 0 ]] || sudo=(sudo)
  echo "Installing missing packages: ${missing[*]}"
  # Refresh the package lists only when they are absent or a day old.
  if [[ -z $(find /var/lib/apt/lists -maxdepth 1 -name '*Packages*' -mtime -1 2>/dev/null | head -n 1) ]]; then
    "${sudo[@]}" apt-get update -qq
  fi
  "${sudo[@]}" env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
}

# Configures (once) and builds the given preset.
build_preset() {
  local preset=$1
  shift
  if [[ ! -f build/$preset/CMakeCache.txt ]]; then
    cmake --preset "$preset" >/dev/null
  fi
  cmake --build --preset "$preset" "$@"
}
