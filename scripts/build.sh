#!/usr/bin/env bash
# Builds Orbitrane (Release) in build/, installing build tools when missing.
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/setup.sh
ob_install "${OB_BUILD_PACKAGES[@]}"

cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=Release
cmake --build build -j "$(ob_jobs)"
