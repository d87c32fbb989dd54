#!/usr/bin/env bash
# Installs what a fresh Debian 12 machine lacks for building and testing.
# Sourced by build.sh and test.sh; pass the package list to ob_install.
set -euo pipefail

OB_BUILD_PACKAGES=(cmake ninja-build clang g++ pkg-config googletest libgtest-dev libgmock-dev libbenchmark-dev zlib1g-dev libstb-dev
  libimgui-dev libx11-dev libgl-dev libxtst-dev fonts-inter fonts-jetbrains-mono)
OB_TEST_PACKAGES=(zlib1g-dev zip unzip python3 locales xvfb xauth libgl1-mesa-dri)
OB_FUZZ_PACKAGES=(clang libclang-rt-14-dev)
OB_FORMAT_PACKAGES=(clang-format)

ob_install() {
  local missing=()
  for pkg in "$@"; do
    if ! dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null | grep -q "install ok installed"; then
      missing+=("$pkg")
    fi
  done
  if ((${#missing[@]})); then
    echo "installing: ${missing[*]}"
    local sudo=""
    if [ "$(id -u)" != 0 ]; then sudo=sudo; fi
    $sudo apt-get update
    $sudo apt-get install -y --no-install-recommends "${missing[@]}"
  fi
}

# OB_JOBS, where set, on a machine others share.
ob_jobs() { echo "${OB_JOBS:-$(nproc 2>/dev/null || echo 2)}"; }

# The Release build in build/: the one scripts/build.sh installs and the one
# whose tests scripts/test.sh runs, so the plug-in users get is the one CI
# tested. clang compiles it in about half the time GCC takes; a warning
# fails it. The compilers are named as cache settings, which CMake honours
# in a folder another compiler configured, where CC and CXX go unread.
ob_configure_release() {
  cmake -S . -B build -G Ninja -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ \
    -DCMAKE_BUILD_TYPE=Release -DCMAKE_COMPILE_WARNING_AS_ERROR=ON "$@"
}
