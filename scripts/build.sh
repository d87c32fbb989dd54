#!/usr/bin/env bash
# Builds Orbitrane (Release) in build/, installing build tools when missing.
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/setup.sh
ob_install "${OB_BUILD_PACKAGES[@]}"

cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=Release
cmake --build build -j "$(ob_jobs)"

# Install the plug-in where CLAP hosts look for a user's plug-ins, then play
# eight bars of the demo pattern through the installed copy.
mkdir -p "$HOME/.clap"
install -m 755 build/plugin_module/Orbitrane.clap "$HOME/.clap/Orbitrane.clap"
echo "installed $HOME/.clap/Orbitrane.clap"
build/tools/orbi-clap-host "$HOME/.clap/Orbitrane.clap" --bars 8 --out demo.wav --quiet-log
