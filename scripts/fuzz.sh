#!/usr/bin/env bash
# Builds the libFuzzer targets of tests/fuzz with clang into build-fuzz and runs each for
# a bounded time, starting from its committed corpus (new inputs go to build-fuzz/corpus,
# never into the repository). A failing input is left in build-fuzz/artifacts.
# Usage: scripts/fuzz.sh [NAME...]   (default: every target)
# Environment: FUZZ_SECONDS per target (default 30), FUZZ_JOBS build jobs (default 2).
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/deps.sh fuzz

FUZZ_SECONDS=${FUZZ_SECONDS:-30}
FUZZ_JOBS=${FUZZ_JOBS:-2}
build="build-fuzz"

names=("$@")
if [ ${#names[@]} -eq 0 ]; then
  for f in tests/fuzz/fuzz_*.cpp; do n=$(basename "$f" .cpp); names+=("${n#fuzz_}"); done
fi

cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_COMPILER=clang++-14 -DH7_FUZZ=ON >/dev/null
cmake --build "$build" -j "$FUZZ_JOBS" --target "${names[@]/#/fuzz_}"

export ASAN_OPTIONS=${ASAN_OPTIONS:-abort_on_error=1:symbolize=1}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}
export ASAN_SYMBOLIZER_PATH=${ASAN_SYMBOLIZER_PATH:-$(command -v llvm-symbolizer-14 || true)}
failed=()
summary=()
for name in "${names[@]}"; do
  corpus="$build/corpus/$name" artifacts="$build/artifacts"
  mkdir -p "$corpus" "$artifacts"
  log="$build/fuzz-$name.log"
  echo "==> fuzz_$name for ${FUZZ_SECONDS}s"
  if "$build/bin/fuzz_$name" -max_total_time="$FUZZ_SECONDS" -timeout=10 -rss_limit_mb=512 -max_len=1048576 \
       -print_final_stats=1 -artifact_prefix="$artifacts/$name-" \
       "$corpus" "tests/fuzz/corpus/$name" >"$log" 2>&1; then
    runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log")
    summary+=("$(printf '%-12s %4ss %10s runs  %5s corpus files  ok' "$name" "$FUZZ_SECONDS" "${runs:-?}" "$(ls "$corpus" | wc -l)")")
  else
    tail -n 40 "$log" >&2
    input=$(find "$artifacts" -name "$name-*" -printf '%T@ %f\n' | sort -n | tail -n1 | cut -d' ' -f2)
    summary+=("$(printf '%-12s FAILED (log: %s; input: %s/%s)' "$name" "$log" "$artifacts" "$input")")
    failed+=("$name")
  fi
done
printf '%s\n' "${summary[@]}"
echo "fuzz: $(( ${#names[@]} - ${#failed[@]} )) passed, ${#failed[@]} failed"
[ ${#failed[@]} -eq 0 ] || { echo "fuzz.sh: failed: ${failed[*]}" >&2; exit 1; }
