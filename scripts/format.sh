#!/usr/bin/env bash
# Formats the C++ files a change touches with the tree's .clang-format; run
# it before committing. Without a revision: the files changed against HEAD
# (staged, unstaged and new). With one: the files changed since the branch
# left it (scripts/format.sh main). --check lists what would change and
# fails instead of rewriting.
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/setup.sh
ob_install "${OB_FORMAT_PACKAGES[@]}"

check=0
base=HEAD
for arg in "$@"; do
  case "$arg" in
    --check) check=1 ;;
    -h | --help) sed -n '2,6p' "$0"; exit 0 ;;
    *) base="$arg" ;;
  esac
done

mapfile -t files < <(
  { git diff --name-only --diff-filter=d "$(git merge-base "$base" HEAD)" --
    git ls-files --others --exclude-standard; } |
    grep -E '\.(c|cc|cpp|h|hpp)$' | grep -v '^fuzz/corpus/' | sort -u || true)

if ((${#files[@]} == 0)); then
  echo "no changed C++ files"
  exit 0
fi
if ((check)); then
  clang-format --dry-run --Werror "${files[@]}"
else
  clang-format -i "${files[@]}"
  printf 'formatted %s\n' "${files[@]}"
fi
