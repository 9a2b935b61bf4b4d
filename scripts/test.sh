#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test: the suites, then the desktop
# program on Xvfb with a window manager.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/deps.sh test desktop
bash scripts/build.sh
cd build
QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j "$(nproc)"
cd ..
bash tests/desktop/check_window_manager.sh build
