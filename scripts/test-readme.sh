#!/usr/bin/env bash
# Runs the command blocks of README.md and bench/README.md as written, in order, as a reader
# would, and fails naming the block (file:line) with its output when one fails.
# A block is a fenced one; its info string says what it is:
#   sh      run by bash (-e, -o pipefail)        python  run by Debian's /usr/bin/python3
#   r       run by Rscript                       js      run by node
#   text    output shown, not run
# and words after the language: no-run (not run; README gives the reason beside it), repo (run
# from the repository root; the others run in a scratch folder where build/ is the
# repository's build/), desktop (starts the desktop program: run under Xvfb, passing when it
# exits 0 or is still running after H7_README_TIMEOUT seconds, default 30).
# Blocks of one file share their scratch folder, so a later block finds what an earlier one
# wrote. An indented code block, or a fence without an info string, is refused.
# Usage: scripts/test-readme.sh [FILE...]   (default: README.md bench/README.md)
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
files=("$@")
[ ${#files[@]} -gt 0 ] || files=(README.md bench/README.md)
timeout_s=${H7_README_TIMEOUT:-30}

bash scripts/deps.sh readme
command -v npm >/dev/null || bash scripts/deps.sh npm
[ -x build/bin/h7extract ] || bash scripts/build.sh
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
# DuckDB is not packaged by Debian: its Node.js package, found by the js blocks through NODE_PATH.
npm install --silent --no-audit --no-fund --prefix "$work/node" @duckdb/node-api >/dev/null
export NODE_PATH="$work/node/node_modules"

passed=0 failed=0 skipped=0 failures=()
run_block() {  # file line info body-file scratch
  local file=$1 line=$2 info=$3 body=$4 scratch=$5
  local lang=${info%% *} words=" $info " dir=$5 status=0 log="$work/log" start=$SECONDS
  local cmd
  case "$lang" in
    text) return ;;
    sh)  # the failing command's line in README, through an ERR trap one line above the block
      { echo "trap 'echo \"test-readme: failed at $file:\$((LINENO + $line - 1))\" >&2' ERR"; cat "$body"; } >"$body.sh"
      cmd=(bash -e -o pipefail "$body.sh") ;;
    python) cmd=(/usr/bin/python3 "$body") ;;
    r) cmd=(Rscript "$body") ;;
    js) cmd=(node "$body") ;;
    *) echo "$file:$line: unknown info string '$info'"; failed=$((failed + 1)); failures+=("$file:$line"); return ;;
  esac
  if [[ "$words" == *" no-run "* ]]; then
    echo "skip $file:$line ($info)"; skipped=$((skipped + 1)); return
  fi
  [[ "$words" == *" repo "* ]] && dir=$root
  if [[ "$words" == *" desktop "* ]]; then
    (cd "$dir" && timeout "$timeout_s" xvfb-run -a "${cmd[@]}") >"$log" 2>&1 </dev/null || status=$?
    [ $status -eq 124 ] && status=0  # still running at the timeout
  else
    (cd "$dir" && "${cmd[@]}") >"$log" 2>&1 </dev/null || status=$?
  fi
  if [ $status -eq 0 ]; then
    echo "ok   $file:$line ($info, $((SECONDS - start)) s)"; passed=$((passed + 1))
  else
    echo "FAIL $file:$line ($info): exit $status"
    sed 's/^/    | /' "$body"
    echo "    output$( [ "$(wc -l <"$log")" -le 60 ] || echo ", its last 60 lines"):"
    tail -n 60 "$log" | sed 's/^/    > /'
    failed=$((failed + 1)); failures+=("$file:$line")
  fi
}

for file in "${files[@]}"; do
  scratch="$work/$(echo "$file" | tr / _)"
  mkdir -p "$scratch"
  ln -s "$root/build" "$scratch/build"
  n=0 in=0 info="" indent="" start=0 prev=""
  while IFS= read -r text || [ -n "$text" ]; do
    n=$((n + 1))
    if [ $in -eq 0 ]; then
      if [[ "$text" =~ ^(\ {0,3})\`\`\`(.*)$ ]]; then
        indent=${BASH_REMATCH[1]} info=$(echo "${BASH_REMATCH[2]}" | xargs)
        in=1 start=$n
        : >"$work/body"
        if [ -z "$info" ]; then
          echo "$file:$n: a fence without an info string"; failed=$((failed + 1)); failures+=("$file:$n")
        fi
      elif [[ "$text" == "    "* && "$prev" == "" ]]; then
        echo "$file:$n: an indented code block (fence it, with an info string)"
        failed=$((failed + 1)); failures+=("$file:$n")
      fi
    elif [ "$text" = "$indent"'```' ]; then
      in=0
      [ -z "$info" ] || run_block "$file" "$start" "$info" "$work/body" "$scratch"
    else
      printf '%s\n' "${text#"$indent"}" >>"$work/body"  # a fence in a list item is indented
    fi
    prev=$text
  done <"$file"
  [ $in -eq 0 ] || { echo "$file:$start: a fence never closed"; failed=$((failed + 1)); failures+=("$file:$start"); }
done

[ $failed -eq 0 ] || echo "test-readme.sh: failed: ${failures[*]}"
echo "readme: $passed passed, $failed failed, $skipped skipped"
[ $failed -eq 0 ]
