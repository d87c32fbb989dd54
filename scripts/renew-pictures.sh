#!/usr/bin/env bash
# Stores the editor's pictures as the built plug-in draws them now, under
# tests/data/editor_pictures/. Look at each one before committing it.
# Usage: scripts/renew-pictures.sh [build-dir]   (default: build)
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="${1:-$root/build}"
cmake --build "$build" --target tests_editor_display
ORBI_REWRITE_SNAPSHOTS=1 xvfb-run -a -s "-screen 0 1600x1600x24" \
  "$build/tests/tests_editor_display" --gtest_filter='EditorPictures.*'
git -C "$root" status --short tests/data/editor_pictures
