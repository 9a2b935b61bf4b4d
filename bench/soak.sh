#!/usr/bin/env bash
# The soak run of the benchmark (bench/run --soak): 47 prefecture files, extracted one after
# another by one h7extract process each into the same output file (each run replaces the
# last one's output), then once more by a single process over all 47 files. While a
# process runs, /proc/PID/fd and /proc/PID/status are sampled; GNU time gives each run's
# peak RSS. A leak of memory or of descriptors from one file to the next shows as a rise.
# Usage: bench/soak.sh [--no-build] [--help]
set -eEuo pipefail
trap 'echo "bench/soak.sh: aborted: command failed at line $LINENO" >&2; exit 3' ERR

usage() {
  cat <<'EOF'
Usage: bench/run --soak [--no-build]      (or bench/soak.sh [--no-build])

Builds h7extract and h7sample (Release), writes 47 prefecture files with h7sample
(--pref 01-47), runs h7extract on each in turn (all items of the group, numerified,
one output file replaced each time) and checks that across the 47 runs
  - every run completes with all its records,
  - the peak RSS (GNU time) stays within SOAK_RSS_MARGIN_PCT % (at least
    SOAK_RSS_MARGIN_MIB MiB) of the smallest, and below 64 MiB,
  - the most open descriptors seen in /proc/PID/fd stay within SOAK_FD_MARGIN,
  - no temporary file is left;
then runs one h7extract over all 47 files (--pref 01-47) and checks that its RSS in the
last third of the run is within the same margin of the first third, and its descriptors
constant. Exit status: 0 all checks passed, 1 a check failed, 2 bad arguments, 3 aborted.

Environment:
  BUILD_DIR        build folder (default: build-bench; build/ goes through scripts/build.sh)
  BENCH_JOBS       parallel build jobs (default: 2)
  BENCH_WORK       work folder (default: bench/work); the files go to BENCH_WORK/soak
  SOAK_RECORDS     records per file (default: 5000)
  SOAK_GROUP       tabulation group of the files (default: 3, about 34 MB a file)
  SOAK_RSS_MARGIN_PCT, SOAK_RSS_MARGIN_MIB, SOAK_FD_MARGIN   (default: 10, 4, 2)
EOF
}

build=1
for arg in "$@"; do
  case "$arg" in
    --no-build) build=0 ;;
    --soak) ;;
    -h|--help) usage; exit 0 ;;
    *) echo "bench/soak.sh: unknown argument '$arg'" >&2; usage >&2; exit 2 ;;
  esac
done

root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
BUILD_DIR=${BUILD_DIR:-build-bench}
BENCH_JOBS=${BENCH_JOBS:-2}
BENCH_WORK=${BENCH_WORK:-bench/work}
SOAK_RECORDS=${SOAK_RECORDS:-5000}
SOAK_GROUP=${SOAK_GROUP:-3}
SOAK_RSS_MARGIN_PCT=${SOAK_RSS_MARGIN_PCT:-10}
SOAK_RSS_MARGIN_MIB=${SOAK_RSS_MARGIN_MIB:-4}
SOAK_FD_MARGIN=${SOAK_FD_MARGIN:-2}
TARGET_RSS_MIB=64
SEED=1
[[ "$BUILD_DIR" = /* ]] || BUILD_DIR="$root/$BUILD_DIR"
[[ "$BENCH_WORK" = /* ]] || BENCH_WORK="$root/$BENCH_WORK"
for n in BENCH_JOBS SOAK_RECORDS SOAK_RSS_MARGIN_PCT SOAK_RSS_MARGIN_MIB SOAK_FD_MARGIN; do
  [[ "${!n}" =~ ^[0-9]+$ ]] || { echo "bench/soak.sh: $n must be a number" >&2; exit 2; }
done
[[ "$SOAK_GROUP" =~ ^[123]$ ]] || { echo "bench/soak.sh: SOAK_GROUP must be 1, 2 or 3" >&2; exit 2; }

say() { printf '==> %s\n' "$*" >&2; }
die() { printf 'bench/soak.sh: %s\n' "$*" >&2; exit 3; }

bash scripts/deps.sh bench
if [ "$build" -eq 1 ]; then
  if [ "$BUILD_DIR" = "$root/build" ]; then
    bash scripts/build.sh >&2
  else
    say "building into $BUILD_DIR (Release, -j$BENCH_JOBS)"
    cmake -S . -B "$BUILD_DIR" -DCMAKE_BUILD_TYPE=Release >/dev/null
    cmake --build "$BUILD_DIR" -j "$BENCH_JOBS" --target h7extract h7sample >&2
  fi
fi
H7EXTRACT="$BUILD_DIR/bin/h7extract"
H7SAMPLE="$BUILD_DIR/bin/h7sample"
[ -x "$H7EXTRACT" ] && [ -x "$H7SAMPLE" ] || die "no programs in $BUILD_DIR/bin (build first or drop --no-build)"

# ---- files ----------------------------------------------------------------------------------

DIR="$BENCH_WORK/soak"
RESULTS="$BENCH_WORK/results/soak"
OUT="$DIR/out.csv"
mkdir -p "$DIR" "$RESULTS"
want="$(sha256sum "$H7SAMPLE" | cut -d' ' -f1) group=$SOAK_GROUP records=$SOAK_RECORDS seed=$SEED"
if ! [ -f "$DIR/.stamp" ] || [ "$(cat "$DIR/.stamp")" != "$want" ] ||
   [ "$(find "$DIR" -maxdepth 1 -name "H7S[0-9][0-9]S${SOAK_GROUP}.DAT" | wc -l)" -ne 47 ]; then
  say "writing 47 files of $SOAK_RECORDS records (group $SOAK_GROUP) into $DIR"
  rm -f "$DIR/.stamp" "$DIR"/H7S*.DAT "$DIR"/NAMEH7S*.CCC
  "$H7SAMPLE" --names --data --out "$DIR" --pref 01-47 --group "$SOAK_GROUP" --records "$SOAK_RECORDS" \
    --seed "$SEED" >/dev/null
  echo "$want" >"$DIR/.stamp"
else
  say "reusing the 47 files in $DIR"
fi
case "$SOAK_GROUP" in 1) ITEMS=1-1361 ;; 2) ITEMS=1362-2375 ;; 3) ITEMS=2376-3052 ;; esac

# ---- sampling -------------------------------------------------------------------------------

# sample_process PID: while PID runs, prints "descriptors rss_kib" every few milliseconds.
sample_process() {
  local pid=$1 fds rss
  while [ -d "/proc/$pid" ]; do
    fds=(/proc/"$pid"/fd/*)
    rss=$(awk '/^State:/ && $2 == "Z" { exit } /^VmRSS:/ { print $2 }' "/proc/$pid/status" 2>/dev/null) || true
    [ -n "$rss" ] || break  # gone, or ended and not yet reaped
    if [ -e "${fds[0]}" ]; then echo "${#fds[@]} $rss"; fi
    sleep 0.005
  done
  return 0
}

failed=0
check() {
  if [ "$2" -eq 1 ]; then printf 'PASS  %s\n' "$1"; else printf 'FAIL  %s\n' "$1"; failed=1; fi
}
h7_argv() {  # h7_argv VAR PREF_LIST: sets array VAR to the h7extract command line
  local -n _ref=$1
  _ref=("$H7EXTRACT" --input "$DIR" --output "$OUT" --pref "$2" --group "$SOAK_GROUP" --names "$DIR"
        --items "$ITEMS" --numerify --quiet)
}

# ---- 47 processes ---------------------------------------------------------------------------

printf '\nsoak: 47 runs of h7extract, group %s, %s records a file, items %s numerified,\n' \
  "$SOAK_GROUP" "$SOAK_RECORDS" "$ITEMS"
printf 'one output file replaced each time (%s)\n\n' "$(nproc) cores, load $(cut -d' ' -f1-3 /proc/loadavg)"
printf '%-5s %9s %9s %9s %8s\n' pref 'RSS MiB' seconds 'max fds' samples
declare -a rss fds argv
for i in $(seq 1 47); do
  pref=$(printf '%02d' "$i")
  start=$(date +%s.%N)
  h7_argv argv "$pref"
  /usr/bin/time -f %M -o "$RESULTS/$pref.rss" "${argv[@]}" 2>"$RESULTS/$pref.err" &
  tpid=$!
  pid=""
  for _ in $(seq 1 500); do  # h7extract is time's one child
    pid=$(awk '{ print $1 }' "/proc/$tpid/task/$tpid/children" 2>/dev/null) || true
    if [ -n "$pid" ] || ! [ -d "/proc/$tpid" ]; then break; fi
    sleep 0.001
  done
  if [ -n "$pid" ]; then sample_process "$pid" >"$RESULTS/$pref.samples"; else : >"$RESULTS/$pref.samples"; fi
  wait "$tpid" || die "prefecture $pref failed: $(cat "$RESULTS/$pref.err")"
  seconds=$(awk -v a="$start" -v b="$(date +%s.%N)" 'BEGIN { printf "%.3f", b - a }')
  grep -q "ICNT=  $SOAK_RECORDS " "$RESULTS/$pref.err" ||
    die "prefecture $pref did not read $SOAK_RECORDS records: $(cat "$RESULTS/$pref.err")"
  [ "$(wc -l <"$OUT")" -eq $((SOAK_RECORDS + 1)) ] || die "prefecture $pref: the output has the wrong line count"
  rss[i]=$(tail -n1 "$RESULTS/$pref.rss")
  fds[i]=$(awk 'BEGIN { m = 0 } $1 > m { m = $1 } END { print m }' "$RESULTS/$pref.samples")
  printf '%-5s %9.1f %9s %9s %8s\n' "$pref" "$(awk -v k="${rss[i]}" 'BEGIN { print k / 1024 }')" "$seconds" \
    "${fds[i]}" "$(wc -l <"$RESULTS/$pref.samples")"
done

rmin=$(printf '%s\n' "${rss[@]}" | sort -n | head -n1)
rmax=$(printf '%s\n' "${rss[@]}" | sort -n | tail -n1)
sampled=$(printf '%s\n' "${fds[@]}" | awk '$1 > 0' | wc -l)
fmin=$(printf '%s\n' "${fds[@]}" | awk '$1 > 0' | sort -n | head -n1)
fmax=$(printf '%s\n' "${fds[@]}" | sort -n | tail -n1)
margin=$(( rmin * SOAK_RSS_MARGIN_PCT / 100 ))
(( margin >= SOAK_RSS_MARGIN_MIB * 1024 )) || margin=$(( SOAK_RSS_MARGIN_MIB * 1024 ))
echo
check "47 runs: peak RSS $(awk -v a="$rmin" -v b="$rmax" 'BEGIN { printf "%.1f-%.1f", a / 1024, b / 1024 }') MiB, spread within $(( margin / 1024 )) MiB" \
  $(( rmax - rmin <= margin ? 1 : 0 ))
check "47 runs: peak RSS below $TARGET_RSS_MIB MiB" $(( rmax < TARGET_RSS_MIB * 1024 ? 1 : 0 ))
check "47 runs: most open descriptors ${fmin:-?}-${fmax:-?}, spread within $SOAK_FD_MARGIN ($sampled of 47 runs sampled)" \
  $(( sampled >= 40 && fmax - ${fmin:-0} <= SOAK_FD_MARGIN ? 1 : 0 ))
leftover=$(find "$DIR" -maxdepth 1 -name '*h7tmp*' | wc -l)
check "47 runs: no temporary file left ($leftover)" $(( leftover == 0 ? 1 : 0 ))

# ---- one process over the 47 files ----------------------------------------------------------

say "one run over all 47 files"
h7_argv argv 01-47
"${argv[@]}" 2>"$RESULTS/all.err" &
pid=$!
sample_process "$pid" >"$RESULTS/all.samples"
wait "$pid" || die "the run over all files failed: $(cat "$RESULTS/all.err")"
grep -q "ICNT=  $(( 47 * SOAK_RECORDS )) " "$RESULTS/all.err" ||
  die "the run over all files read the wrong count: $(cat "$RESULTS/all.err")"
# RSS over the last third of the samples against the first third; descriptors throughout.
verdict=$(awk -v m="$(( SOAK_RSS_MARGIN_MIB * 1024 ))" -v p="$SOAK_RSS_MARGIN_PCT" -v f="$SOAK_FD_MARGIN" '
  { fd[NR] = $1; rss[NR] = $2 }
  END {
    n = NR
    if (n < 9) { print "0 too few samples (" n ")"; exit }
    a = int(n / 3); head = 0; tail = 0; fmin = fd[2]; fmax = fd[2]
    for (i = 1; i <= a; i++) if (rss[i] > head) head = rss[i]
    for (i = n - a + 1; i <= n; i++) if (rss[i] > tail) tail = rss[i]
    for (i = 2; i < n; i++) { if (fd[i] < fmin) fmin = fd[i]; if (fd[i] > fmax) fmax = fd[i] }
    margin = head * p / 100; if (margin < m) margin = m
    ok = (tail <= head + margin) && (fmax - fmin <= f)
    printf "%d %d samples: RSS first third %.1f MiB, last third %.1f MiB; descriptors %d-%d\n", ok, n, head / 1024, tail / 1024, fmin, fmax
  }' "$RESULTS/all.samples")
check "one run over 47 files, ${verdict#* }" "${verdict%% *}"
rm -f "$OUT"
exit "$failed"
