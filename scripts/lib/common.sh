# SPDX-FileCopyrightText: The Ψηφόνομοι contributors
#
# SPDX-License-Identifier: GPL-3.0-or-later

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
  fonts-liberation2 fonts-dejavu-core doctest-dev
)
# The Windows build: the MinGW-w64 cross compiler (its binutils read the
# .exe's imports) and Wine, under which its tests run.
WINDOWS_PACKAGES=(g++-mingw-w64-x86-64 binutils-mingw-w64-x86-64 wine wine64)
# The Windows release build, its installer and the check of its winget
# manifest (dpkg-dev reads the changelog's date for SOURCE_DATE_EPOCH).
WINDOWS_PACKAGING_PACKAGES=(cmake ninja-build nsis dpkg-dev python3-jsonschema python3-yaml)
TEST_PACKAGES=(xvfb xauth xdotool x11-apps imagemagick binutils clang-format git reuse
  dbus-daemon at-spi2-core python3-pyatspi)
# What the generators in tools/ read: tools/generate-fold-table takes the
# letters, their decompositions and the iota subscripts from the Unicode
# character database (/usr/share/unicode/UnicodeData.txt).
TOOL_PACKAGES=(python3 unicode-data)
# What the benchmarks read and drive: the Greek word list, an external
# clipboard, keyboard layouts, and the accessibility bus a screen reader uses.
BENCH_PACKAGES=(hunspell-el time xclip x11-xkb-utils at-spi2-core python3-pyatspi dbus-daemon)
# The web build: the engine compiled to WebAssembly by clang-14 against
# wasi-libc and libc++ for wasm32, linked by lld (llvm-14 has the archiver for
# its bitcode), and the Chromium that the page's tests drive. Node.js and npm
# come from ensure_node.
WEB_PACKAGES=(clang-14 lld-14 llvm-14 wasi-libc libc++-dev-wasm32 libclang-rt-dev-wasm32 chromium)
# Making and checking the Debian package and the installed desktop files; the
# package's own build dependencies come from debian/control (ensure_build_deps).
PACKAGE_PACKAGES=(dpkg-dev lintian git file desktop-file-utils appstream)

# Runs apt-get with the given arguments as root (through sudo when not root),
# refreshing the package lists first when they are absent or a day old.
apt_get() {
  local sudo=()
  [[ $(id -u) -eq 0 ]] || sudo=(sudo)
  if [[ -z $(find /var/lib/apt/lists -maxdepth 1 -name '*Packages*' -mtime -1 2>/dev/null | head -n 1) ]]; then
    "${sudo[@]}" apt-get update -qq
  fi
  # Another install may hold the lock (scripts run side by side): wait for it.
  "${sudo[@]}" env DEBIAN_FRONTEND=noninteractive apt-get -o DPkg::Lock::Timeout=600 -y -qq \
    --no-install-recommends "$@" >/dev/null
}

# Installs whichever of the given packages are missing.
ensure_packages() {
  local missing=() p
  for p in "$@"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
  done
  ((${#missing[@]})) || return 0
  echo "Installing missing packages: ${missing[*]}"
  apt_get install "${missing[@]}"
}

# Node.js and npm for the web build: a machine that has node (often a newer one
# than Debian's, from elsewhere) keeps it; one without gets Debian's.
ensure_node() {
  command -v node >/dev/null && command -v npm >/dev/null && return 0
  ensure_packages nodejs npm
}

# Installs what debian/control's Build-Depends names and is missing.
ensure_build_deps() {
  dpkg-checkbuilddeps >/dev/null 2>&1 && return 0
  echo "Installing the Debian package's build dependencies"
  apt_get build-dep ./
}

# Makes a fresh Wine prefix for the Windows tests at $WINEPREFIX, once, before
# anything runs in it: tests racing to create it fail, and wineboot can hang,
# so every step has a hard timeout.
make_wine_prefix() {
  export WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=" LC_ALL=C.UTF-8
  rm -rf "$WINEPREFIX"
  mkdir -p "$WINEPREFIX"
  timeout 300 wine wineboot --init >/dev/null 2>&1
  timeout 120 wineserver -w
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
