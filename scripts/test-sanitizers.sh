#!/usr/bin/env bash
# Builds everything with AddressSanitizer and UndefinedBehaviorSanitizer into build-asan
# and runs every test under them (screens on the offscreen platform). Leaks are reported
# for our code; those of the system libraries under Qt are suppressed (scripts/lsan.supp).
# Environment: SANITIZE_JOBS build and test jobs (default: the number of cores).
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/deps.sh test

jobs=${SANITIZE_JOBS:-$(nproc)}
# Test programs are also run while building (test discovery), so the options apply to both.
export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1:strict_string_checks=1:detect_stack_use_after_return=1:check_initialization_order=1}
export LSAN_OPTIONS=${LSAN_OPTIONS:-suppressions=$PWD/scripts/lsan.supp:print_suppressions=0}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}
export QT_QPA_PLATFORM=offscreen

cmake -S . -B build-asan -DCMAKE_BUILD_TYPE=RelWithDebInfo -DH7_SANITIZE=ON >/dev/null
cmake --build build-asan -j "$jobs"
cd build-asan
ctest --output-on-failure -j "$jobs"
