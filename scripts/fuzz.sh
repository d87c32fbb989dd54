#!/usr/bin/env bash
# Fuzzes each target in fuzz/, or those named (scripts/fuzz.sh session),
# with libFuzzer (clang, ASan and UBSan): first its seed corpus once, then
# new inputs of at most 32 KiB (the session's: 48 actions) for
# OB_FUZZ_SECONDS (default 60) each, on OB_JOBS build jobs, every input
# held to the memory fuzz/memory_limits gives its target: no
# allocation past it, no more heap than that at its peak, and no more
# resident memory than that above the fuzzer's own. New inputs that raise coverage collect in
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
# What libFuzzer, AddressSanitizer's quarantine of freed memory (256 MiB
# once full) and the target's program hold besides the input's own: over a
# long run from a grown corpus about 450 MiB before the quarantine fills.
# Each target but the session holds an input to its limit by the heap it
# holds at its peak (fuzz/libfuzzer/held_peak.cpp), and the session by all
# it holds; what the process holds resident is only a backstop.
fuzzer_own_mb=1024
# The allocator hands freed memory back to the system within the second:
# else what earlier inputs freed stays resident, and a long run's corpus
# passes the resident limit with nothing of its own held.
export ASAN_OPTIONS="${ASAN_OPTIONS:+$ASAN_OPTIONS:}allocator_release_to_os_interval_ms=500"

# Builds the targets named into a folder, optimised and instrumented as
# the flags given say.
build_targets() {
  local folder="$1" optimised="$2" coverage="$3"
  shift 3
  CC=clang CXX=clang++ cmake -S . -B "$folder" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DOB_FUZZ=ON -DOB_TESTS=OFF -DOB_BENCHMARKS=OFF \
    -DCMAKE_CXX_FLAGS_RELWITHDEBINFO="$optimised -gline-tables-only -DNDEBUG" \
    -DCMAKE_C_FLAGS_RELWITHDEBINFO="$optimised -gline-tables-only -DNDEBUG" \
    -DCMAKE_CXX_FLAGS="-fsanitize=fuzzer-no-link,address,undefined -fno-sanitize-recover=all $coverage" \
    -DCMAKE_C_FLAGS="-fsanitize=fuzzer-no-link,address,undefined -fno-sanitize-recover=all $coverage" \
    -DCMAKE_EXE_LINKER_FLAGS="-fsanitize=address,undefined"
  cmake --build "$folder" -j "$jobs" $(printf -- "--target fuzz_%s " "$@")
}

names=("$@")
if ((${#names[@]} == 0)); then
  for src in fuzz/*.cpp; do names+=("$(basename "$src" .cpp)"); done
fi
# The session target's inputs choose among actions and sizes, which no
# comparison spells, and each runs a whole instance: it is built without
# comparison tracing, which took half its time, and optimised further, in
# a folder of its own.
parsers=()
for name in "${names[@]}"; do [ "$name" = session ] || parsers+=("$name"); done
if ((${#parsers[@]})); then build_targets build-fuzz -O1 "" "${parsers[@]}"; fi
if ((${#parsers[@]} < ${#names[@]})); then
  build_targets build-fuzz-session -O2 "-fno-sanitize-coverage=trace-cmp" session
fi

found=()
for name in "${names[@]}"; do
  program="build-fuzz/fuzz_$name"
  if [ "$name" = session ]; then program="build-fuzz-session/fuzz_session"; fi
  seeds=()
  if [ -d "fuzz/corpus/$name" ]; then seeds+=("fuzz/corpus/$name"); fi
  # A host's state load takes every document a file load takes.
  if [ "$name" = state_load ]; then seeds+=(fuzz/corpus/read_document); fi
  work="build-fuzz/corpus-$name"
  mkdir -p "$work"
  log="build-fuzz/fuzz-$name.log"
  limit_mb="$(awk -v name="$name" '$1 == name { print $2 }' fuzz/memory_limits)"
  if [ -z "$limit_mb" ]; then
    echo "fuzz/memory_limits gives no limit for $name" >&2
    exit 1
  fi
  limits=(-malloc_limit_mb="$limit_mb" -rss_limit_mb="$((limit_mb + fuzzer_own_mb))"
    -artifact_prefix="build-fuzz/$name-")
  export OB_FUZZ_HELD_LIMIT_MB="$limit_mb"
  # The seeds once, each on its own, before the seconds begin.
  echo "-- fuzz_$name: its seeds"
  seed_files=()
  if ((${#seeds[@]})); then mapfile -t seed_files < <(find "${seeds[@]}" -type f | sort); fi
  # Through a pipe: a file-size limit an input sets holds for the files
  # the program writes, which its log would be.
  if ((${#seed_files[@]})) && ! "$program" "${limits[@]}" "${seed_files[@]}" 2>&1 | cat > "$log"; then
    tail -n 80 "$log"
    echo "fuzz_$name failed a seed" >&2
    found+=("$name")
    continue
  fi
  # Then new inputs from what the fuzzer found before, and from the seeds,
  # the short ones first: the longest tried grows as the shorter stop
  # finding. The session's inputs change by whole actions
  # (fuzz/session/mutate.h), each run costing an instance: sequences of
  # several come from the first minute, with room for its most actions and
  # no length held back, from what it found before alone, as its seeds
  # once more would take minutes.
  from=("$work")
  lengths=(-max_len=32768 -len_control=10)
  if [ "$name" != session ]; then from+=("${seeds[@]}"); else lengths=(-max_len=2048 -len_control=0); fi
  echo "-- fuzz_$name: ${fuzz_seconds}s"
  if ! "$program" -max_total_time="$fuzz_seconds" -print_final_stats=1 "${lengths[@]}" \
      "${limits[@]}" "${from[@]}" 2>&1 | cat >> "$log"; then
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
