#!/usr/bin/env bash
# Fuzzes each target in fuzz/ with libFuzzer (clang, ASan and UBSan): first
# its seed corpus, then new inputs of at most 32 KiB for OB_FUZZ_SECONDS
# (default 60) each, every input held to the memory fuzz/memory_limits
# gives its target: no allocation past it, and no more resident memory than
# that above the fuzzer's own. New inputs that raise coverage collect in
# build-fuzz/corpus-<name>/; copy the useful ones into fuzz/corpus/<name>/,
# where every test run replays them. Every target runs whatever the others
# found; each one that found something shows the end of its log, and the
# run fails at the end, naming them.
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/setup.sh
ob_install "${OB_BUILD_PACKAGES[@]}" "${OB_FUZZ_PACKAGES[@]}"
jobs="$(ob_jobs)"
fuzz_seconds="${OB_FUZZ_SECONDS:-60}"
# What libFuzzer, AddressSanitizer's quarantine of freed memory (256 MiB)
# and the target's program hold besides the input's own.
fuzzer_own_mb=512
# The allocator hands freed memory back to the system within the second:
# else what earlier inputs freed stays resident, and a long run's corpus
# passes the resident limit with nothing of its own held.
export ASAN_OPTIONS="${ASAN_OPTIONS:+$ASAN_OPTIONS:}allocator_release_to_os_interval_ms=500"

CC=clang CXX=clang++ cmake -S . -B build-fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DOB_FUZZ=ON -DOB_TESTS=OFF -DOB_BENCHMARKS=OFF \
  -DCMAKE_CXX_FLAGS_RELWITHDEBINFO="-O1 -gline-tables-only -DNDEBUG" \
  -DCMAKE_C_FLAGS_RELWITHDEBINFO="-O1 -gline-tables-only -DNDEBUG" \
  -DCMAKE_CXX_FLAGS="-fsanitize=fuzzer-no-link,address,undefined -fno-sanitize-recover=all" \
  -DCMAKE_C_FLAGS="-fsanitize=fuzzer-no-link,address,undefined -fno-sanitize-recover=all" \
  -DCMAKE_EXE_LINKER_FLAGS="-fsanitize=address,undefined"
cmake --build build-fuzz -j "$jobs" --target ob_fuzz_targets
found=()
for src in fuzz/*.cpp; do
  name="$(basename "$src" .cpp)"
  corpus="fuzz/corpus/$name"
  # A host's state load takes every document a file load takes.
  also=()
  if [ "$name" = state_load ]; then also=(fuzz/corpus/read_document); fi
  work="build-fuzz/corpus-$name"
  mkdir -p "$work"
  echo "-- fuzz_$name: ${fuzz_seconds}s"
  log="build-fuzz/fuzz-$name.log"
  limit_mb="$(awk -v name="$name" '$1 == name { print $2 }' fuzz/memory_limits)"
  if [ -z "$limit_mb" ]; then
    echo "fuzz/memory_limits gives no limit for $name" >&2
    exit 1
  fi
  if ! "build-fuzz/fuzz_$name" -max_total_time="$fuzz_seconds" -print_final_stats=1 -max_len=32768 \
      -malloc_limit_mb="$limit_mb" -rss_limit_mb="$((limit_mb + fuzzer_own_mb))" \
      -artifact_prefix="build-fuzz/$name-" \
      "$work" $( [ -d "$corpus" ] && echo "$corpus" ) "${also[@]}" > "$log" 2>&1; then
    tail -n 80 "$log"
    echo "fuzz_$name found a failure" >&2
    found+=("$name")
  fi
  grep -E "stat::number_of_executed_units" "$log" || true
done
if ((${#found[@]})); then
  echo "== Fuzzing found failures in: ${found[*]}" >&2
  exit 1
fi
echo "== Fuzzing found nothing"
