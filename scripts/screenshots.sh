#!/usr/bin/env bash
# Renders each screen, filled from the synthetic sample, into docs/screenshots/*.png.
# The sample lies in a neutral folder (SAMPLE, default /home/user/h7data), since the
# screens show its path; it is removed afterwards unless it was there before.
# SCALE=1.5 renders at 150 % (144 dpi) for checking the layouts; the committed ones are 100 %.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/deps.sh gui
cmake -S . -B build-docs -DCMAKE_BUILD_TYPE=Release -DH7_BUILD_TESTS=OFF -DH7_BUILD_DOCS=ON >/dev/null
cmake --build build-docs -j "$(nproc)" --target h7screens h7sample sample_names
sample=${SAMPLE:-/home/user/h7data}
[ -e "$sample" ] || trap 'rm -rf "$sample"' EXIT
build-docs/bin/h7sample --data --out "$sample" --pref 13 --group 1 --records 300 >/dev/null
out=${OUT:-docs/screenshots}
QT_QPA_PLATFORM=offscreen QT_SCALE_FACTOR=${SCALE:-1} build-docs/bin/h7screens "$out" "$sample" build-docs/bin
