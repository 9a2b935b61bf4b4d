#!/usr/bin/env bash
# Installs what is missing, builds, makes the synthetic sample and runs the main job:
# with a display, the desktop program started in the sample folder (the file picker
# opens there); without one, an extraction of the sample with h7extract.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/deps.sh run
bash scripts/build.sh
sample=build/sample
build/bin/h7sample --data --force --out "$sample" --pref 13 --group 1 --records 300 >/dev/null
if [ -n "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ]; then
  echo "Starting h7select in $sample (input folder: $PWD/$sample, prefecture 13)"
  cd "$sample" && exec ../bin/h7select
fi
out="$sample/out.csv"
build/bin/h7extract --input "$sample" --output "$out" --pref 13 --group 1 \
  --items 1-10,101-141:10 --municipalities 101-105,201
echo "---- $out (first 5 lines, shown as UTF-8)"
head -n 5 "$out" | iconv -f CP932 -t UTF-8 | cut -c 1-160
