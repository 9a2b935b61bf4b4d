#!/usr/bin/env bash
# The desktop program on a real X desktop: Xvfb with the openbox window manager, driven
# with xdotool as a user would, the program's state read from H7SELECT_STATE.
#  1. Switching to another program and back does not check the prefecture field.
#  2. After a rejection the focus stays on the screen the user clicked into.
#  3. The check's write-back clears the status line even when the text stays the same.
# Usage: check_window_manager.sh BUILD_DIR
set -euo pipefail
build=$(cd "$1" && pwd)
work=$(mktemp -d)
export DISPLAY=:$((90 + RANDOM % 400))
cleanup() { kill $(jobs -p) 2>/dev/null || true; wait 2>/dev/null || true; rm -rf "$work"; }
trap cleanup EXIT
fail() { echo "FAILED: $*"; echo "state:"; cat "$work/state" 2>/dev/null; exit 1; }
grep -q "^H7_TEST_SEAMS:BOOL=ON" "$build/CMakeCache.txt" || fail "$build is built without the state file (-DH7_TEST_SEAMS=ON)"

Xvfb "$DISPLAY" -screen 0 1280x1024x24 -dpi 96 -nolisten tcp >"$work/xvfb.log" 2>&1 &
for _ in $(seq 50); do xdpyinfo >/dev/null 2>&1 && break; sleep 0.1; done
openbox >"$work/openbox.log" 2>&1 &
sleep 1
"$build/bin/h7sample" --data --out "$work/data" --pref 13 --group 1 --records 20 >/dev/null
xmessage -geometry 300x80+800+600 "another program" &
H7SELECT_STATE="$work/state" QT_SCALE_FACTOR=1 "$build/bin/h7select" >"$work/h7select.log" 2>&1 &

window() { xdotool search --sync --onlyvisible --name "$1" | head -1; }
state() { sed -n "s/^$1=//p" "$work/state" 2>/dev/null; }
expect() {  # key value what: waits up to 5 s for the state
  for _ in $(seq 100); do [ "$(state "$1")" == "$2" ] && return 0; sleep 0.05; done
  fail "$3: $1 is '$(state "$1")', expected '$2'"
}
messages() { xdotool search --onlyvisible --name '^h7select$' 2>/dev/null | wc -l; }
click() { xdotool mousemove --window "$1" "$2" "$3" click 1; sleep 0.3; }  # window, x, y in the client area
type_into() { click "$1" "$2" "$3"; xdotool key ctrl+a BackSpace; [ -z "$4" ] || xdotool type --delay 20 "$4"; sleep 0.2; }

main=$(window 'データ選択')
other=$(xdotool search --sync --class Xmessage | head -1)
xdotool windowactivate --sync "$main"
expect active Form1 "start"

# 1. Away to another program and back, with "T" and with nothing in the field.
for text in T ""; do
  type_into "$main" 188 108 "$text"                   # Text3
  xdotool windowactivate --sync "$other"; sleep 1
  xdotool windowactivate --sync "$main"; sleep 1
  [ "$(messages)" -eq 0 ] || fail "switching away with '$text' showed a message"
  expect text3 "$text" "switching away and back with '$text'"
done

# 2. A rejected number, the focus moved into the item selection screen.
type_into "$main" 188 108 13
click "$main" 328 64                                  # Command4: the item selection screen
form4=$(window '選択項目指定画面')
type_into "$main" 188 108 48
click "$form4" 72 100                                 # into Form4's first field
for _ in $(seq 60); do [ "$(messages)" -eq 1 ] && break; sleep 0.05; done
[ "$(messages)" -eq 1 ] || fail "no message for 48"
xdotool key Return; sleep 0.5
expect active Form4 "after the rejection"

# 3. A run puts its message into the status line; leaving the field with the same text clears it.
type_into "$form4" 72 100 1
click "$form4" 196 268                                # 戻る: back on the main screen, in Text3
type_into "$main" 188 108 13
type_into "$main" 168 25 "$work/data"                 # Text1
type_into "$main" 164 225 "$work/out.csv"             # Text2
click "$main" 212 280                                 # Command3: the run
expect status "正常終了  KCNT= 1361   ICNT=  20  ,OCNT=  21" "the run"
click "$main" 188 108                                 # into Text3 and out again
click "$main" 168 25
expect status " " "leaving the field with the same text"
echo "window manager check: ok"
