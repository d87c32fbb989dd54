#!/usr/bin/env bash
# Builds and runs every test: the layer check, a Release build, then the
# same tests under AddressSanitizer and UndefinedBehaviorSanitizer, the
# stress tests under ThreadSanitizer, then the fuzz targets (seed corpus
# replay plus a short bounded run each). Each stage builds only what it runs.
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/setup.sh
ob_install "${OB_BUILD_PACKAGES[@]}" "${OB_TEST_PACKAGES[@]}"
jobs="$(ob_jobs)"
# The display tests (drops over XDND, the editor window) need an X server
# with Mesa's software OpenGL; without DISPLAY they skip. One virtual server
# serves a whole ctest run.
on_display() { xvfb-run -a -s "-screen 0 1600x1600x24" "$@"; }
fuzz_seconds="${OB_FUZZ_SECONDS:-20}"
# The checking builds compile the libraries at -O1 with line tables only:
# half the compile time of -O2 -g, and reports still name file and line.
checked_flags="-O1 -g1 -DNDEBUG"

echo "== Layers"
cmake -DROOT="$PWD" -P cmake/check_layers.cmake

echo "== Release build and tests"
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=Release
cmake --build build -j "$jobs"
on_display ctest --test-dir build --output-on-failure -j "$jobs"

echo "== AddressSanitizer and UndefinedBehaviorSanitizer build and tests"
cmake -S . -B build-asan -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DOB_SANITIZE=ON -DOB_BENCH=OFF \
  -DCMAKE_CXX_FLAGS_RELWITHDEBINFO="$checked_flags" -DCMAKE_C_FLAGS_RELWITHDEBINFO="$checked_flags"
cmake --build build-asan -j "$jobs"
ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 \
  on_display ctest --test-dir build-asan --output-on-failure -j "$jobs"

# ---- ThreadSanitizer: only the two-thread stress tests (*_stress_test.cpp),
# so the build stays small and the run short.
echo "== ThreadSanitizer build and the hand-over stress tests"
cmake -S . -B build-tsan -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DOB_TSAN=ON -DOB_BENCH=OFF \
  -DCMAKE_CXX_FLAGS_RELWITHDEBINFO="$checked_flags" -DCMAKE_C_FLAGS_RELWITHDEBINFO="$checked_flags"
cmake --build build-tsan -j "$jobs" --target ob_stress_tests
TSAN_OPTIONS="halt_on_error=1 second_deadlock_stack=1" \
  ctest --test-dir build-tsan --output-on-failure --no-tests=error -L stress

if compgen -G "fuzz/*.cpp" > /dev/null; then
  echo "== Fuzz targets"
  CC=clang CXX=clang++ cmake -S . -B build-fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DOB_FUZZ=ON -DOB_TESTS=OFF -DOB_BENCH=OFF \
    -DCMAKE_CXX_FLAGS_RELWITHDEBINFO="-O1 -gline-tables-only -DNDEBUG" \
    -DCMAKE_C_FLAGS_RELWITHDEBINFO="-O1 -gline-tables-only -DNDEBUG" \
    -DCMAKE_CXX_FLAGS="-fsanitize=fuzzer-no-link,address,undefined -fno-sanitize-recover=all" \
    -DCMAKE_C_FLAGS="-fsanitize=fuzzer-no-link,address,undefined -fno-sanitize-recover=all" \
    -DCMAKE_EXE_LINKER_FLAGS="-fsanitize=address,undefined"
  cmake --build build-fuzz -j "$jobs" --target ob_fuzz_targets
  for src in fuzz/*.cpp; do
    name="$(basename "$src" .cpp)"
    corpus="fuzz/corpus/$name"
    work="build-fuzz/corpus-$name"
    rm -rf "$work" && mkdir -p "$work"
    echo "-- fuzz_$name: replay seeds, then ${fuzz_seconds}s"
    if [ -d "$corpus" ]; then
      "build-fuzz/fuzz_$name" -runs=0 "$corpus" > "build-fuzz/replay-$name.log" 2>&1 || { tail -n 80 "build-fuzz/replay-$name.log"; exit 1; }
    fi
    log="build-fuzz/fuzz-$name.log"
    if ! "build-fuzz/fuzz_$name" -max_total_time="$fuzz_seconds" -print_final_stats=1 \
        "$work" $( [ -d "$corpus" ] && echo "$corpus" ) > "$log" 2>&1; then
      tail -n 80 "$log"
      echo "fuzz_$name found a failure" >&2
      exit 1
    fi
    grep -E "stat::number_of_executed_units" "$log" || true
  done
fi
echo "== All tests passed"
