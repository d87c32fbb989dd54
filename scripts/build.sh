#!/usr/bin/env bash
# Builds the Orbitrane plug-in (Release) in build/, installing build tools
# when missing, installs it and renders the demo. Only the plug-in and the
# command-line host that renders the demo are built: scripts/test.sh builds
# and tests the same configuration in the same folder.
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/setup.sh
ob_install "${OB_BUILD_PACKAGES[@]}"

ob_configure_release
cmake --build build -j "$(ob_jobs)" --target orbitrane_clap orbi-clap-host

# Install the plug-in where CLAP hosts look for a user's plug-ins, then play
# eight bars of the demo pattern through the installed copy.
mkdir -p "$HOME/.clap"
install -m 755 build/plugin_module/Orbitrane.clap "$HOME/.clap/Orbitrane.clap"
echo "installed $HOME/.clap/Orbitrane.clap"
build/tools/orbi-clap-host "$HOME/.clap/Orbitrane.clap" --bars 8 --out build/demo.wav --quiet-log
