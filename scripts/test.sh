#!/usr/bin/env bash
# Builds and runs every test: the layer check, a Release build, then the
# same tests under AddressSanitizer and UndefinedBehaviorSanitizer, then the
# stress tests under ThreadSanitizer. Each fuzz target's seed corpus is
# replayed as a test in the first two stages; scripts/fuzz.sh fuzzes them.
# Each stage builds only what it runs, and ctest runs each test program once
# (GoogleTest's report in the log names a failing test).
#
# The Release build is the one scripts/build.sh installs (ob_configure_release,
# clang, in build/), so the plug-in users get is the one tested here. The
# sanitizer builds use GCC, whose -Og compiles far quicker than clang's (for
# which -Og means -O1), so the whole tree compiles with both compilers, and
# a warning fails either.
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/setup.sh
ob_install "${OB_BUILD_PACKAGES[@]}" "${OB_TEST_PACKAGES[@]}"
jobs="$(ob_jobs)"
# The display tests (drops over XDND, the editor window) need an X server
# with Mesa's software OpenGL; without DISPLAY they skip. One virtual server
# serves a whole ctest run, never reset between its clients: a server that
# resets as its last client leaves drops one that connects meanwhile, which
# dies of a broken pipe.
on_display() { xvfb-run -a -s "-screen 0 1600x1600x24 -noreset" "$@"; }
# The sanitizer builds compile the libraries at -Og with line tables only:
# under the sanitizers that compiles in little more than half the time of
# -O1, the tests run as fast, and reports still name file and line.
checked_flags="-Og -g1 -DNDEBUG"
strict=-DCMAKE_COMPILE_WARNING_AS_ERROR=ON

echo "== Layers"
cmake -DROOT="$PWD" -P cmake/check_layers.cmake

echo "== Release build (the installed one) and tests"
ob_configure_release
cmake --build build -j "$jobs"
on_display ctest --test-dir build --output-on-failure -j "$jobs"

echo "== AddressSanitizer and UndefinedBehaviorSanitizer build (GCC) and tests"
CC=gcc CXX=g++ cmake -S . -B build-asan -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DOB_SANITIZE=ON -DOB_BENCHMARKS=OFF "$strict" \
  -DCMAKE_CXX_FLAGS_RELWITHDEBINFO="$checked_flags" -DCMAKE_C_FLAGS_RELWITHDEBINFO="$checked_flags"
cmake --build build-asan -j "$jobs"
ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 \
  on_display ctest --test-dir build-asan --output-on-failure -j "$jobs"

# ---- ThreadSanitizer: only the two-thread stress tests (*_stress_test.cpp),
# so the build stays small and the run short.
echo "== ThreadSanitizer build (GCC) and the hand-over stress tests"
CC=gcc CXX=g++ cmake -S . -B build-tsan -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DOB_TSAN=ON -DOB_BENCHMARKS=OFF "$strict" \
  -DCMAKE_CXX_FLAGS_RELWITHDEBINFO="$checked_flags" -DCMAKE_C_FLAGS_RELWITHDEBINFO="$checked_flags"
cmake --build build-tsan -j "$jobs" --target ob_stress_tests
TSAN_OPTIONS="halt_on_error=1 second_deadlock_stack=1" \
  ctest --test-dir build-tsan --output-on-failure --no-tests=error -L stress

echo "== All tests passed"
