#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test: the suites, the core and extract
# suites again on emulated processors without AVX-512 and without AVX2 (the kernels are
# chosen from the processor), then the desktop program on Xvfb with a window manager.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/deps.sh test desktop emulate
bash scripts/build.sh -DH7_TEST_SEAMS=ON  # the window-manager check reads the state file
cd build
QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j "$(nproc)"
cd ..
for cpu in Haswell qemu64; do
  echo "test.sh: under qemu-x86_64 -cpu $cpu, $(qemu-x86_64 -cpu $cpu build/bin/h7extract --version 2>/dev/null | grep kernel)"
  for suite in test_core test_extract; do
    qemu-x86_64 -cpu "$cpu" "build/bin/$suite" --gtest_brief=1 2> >(grep -v "TCG doesn't support" >&2)
  done
done
bash tests/desktop/check_window_manager.sh build
