#!/usr/bin/env bash
# Stores every picture the display tests compare with, as the build draws
# them now: tests/data/editor_pictures/ (the editor's window) and
# tests/data/ui_snapshots/ (the framework's and the widgets' views). Look at
# each changed one before committing it.
# Usage: scripts/renew-pictures.sh [build-dir]   (default: build)
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="${1:-$root/build}"
programs=(tests_ui_display tests_editor_widgets_display tests_editor_display)
cmake --build "$build" --target "${programs[@]}"
for program in "${programs[@]}"; do
  ORBI_REWRITE_SNAPSHOTS=1 xvfb-run -a -s "-screen 0 1600x1600x24 -noreset" \
    "$build/tests/$program" --gtest_filter='*StoredPicture*:EditorPictures.*'
done
git -C "$root" status --short tests/data/editor_pictures tests/data/ui_snapshots
