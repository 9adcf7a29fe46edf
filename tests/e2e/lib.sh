# The player's hands and eyes for the end-to-end scenarios: starting the real
# game from its own directory, finding its window, keys and mouse through X,
# screenshots, the save file, process status and CPU time.
# Sourced by run.sh into each scenario's own bash, which runs with set -e, so
# the first failed step ends the scenario with its message.

TOOL="$E2E_HERE/e2e_tool.py"
# The system's own interpreter: it starts in a tenth of the time a wrapper takes.
PYTHON=/usr/bin/python3
[ -x "$PYTHON" ] || PYTHON=python3
SCALE=3  # a 1920-pixel-wide screen: 1920 / 481
export SCALE

# Where the window's client area must be: centred on the 1920x1080 screen.
WANT_X=$(((1920 - 480 * SCALE) / 2))
WANT_Y=$(((1080 - 270 * SCALE) / 2))

GAME_PID=""
SHOT_INDEX=0

say() { echo "    $*"; }

# Prints the message and the path of a fresh screenshot, then ends the scenario.
fail() {
  local png
  png=$("$PYTHON" "$TOOL" shot "$SCENARIO_DIR/failure" 2>/dev/null || echo "(no screenshot)")
  echo "    FAILED: $*"
  echo "    screenshot: $png"
  [ -f "$SCENARIO_DIR/stderr" ] && [ -s "$SCENARIO_DIR/stderr" ] && echo "    game's stderr: $(head -c 400 "$SCENARIO_DIR/stderr")"
  exit 1
}

# ---- the game's directory and save ----------------------------------------

# A fresh copy of the game in its own directory, so each scenario starts from a
# known save and none touches build/save.
install_game() {
  GAME_DIR="$SCENARIO_DIR/game"
  mkdir -p "$GAME_DIR"
  cp "$BINARY" "$GAME_DIR/pigmentburgh"
  SAVE="$GAME_DIR/save"
}

make_save() { "$PYTHON" "$TOOL" make-save "$SAVE" "$1"; }
read_save() { "$PYTHON" "$TOOL" read-save "$SAVE"; }
# save_field EXPR: a Python expression over the parsed save `s`, e.g. "s['money'][0]".
save_field() { "$PYTHON" -c "import json,sys; s=json.load(sys.stdin); print($1)" <<<"$(read_save)"; }

# ---- starting, finding and ending the game ------------------------------------

# start_game [DIR]: starts the installed game from DIR (default: a directory
# that is not its own), with the X11 driver named so that SDL can never fall
# back to a driver that shows nothing. Waits for its window, focused.
start_game() {
  local from="${1:-$SCENARIO_DIR}"
  (cd "$from" && exec env SDL_VIDEODRIVER=x11 "$GAME_DIR/pigmentburgh" >"$SCENARIO_DIR/stdout" 2>"$SCENARIO_DIR/stderr") &
  GAME_PID=$!
  find_window
}

find_window() {
  # A search can die of an X error when another window goes away meanwhile:
  # search again until the bound.
  local i
  WIN=""
  for i in $(seq 200); do
    WIN=$(xdotool search --all --pid "$GAME_PID" --name '^PIGMENTBURGH$' 2>/dev/null | head -1) || true
    [ -n "$WIN" ] && break
    game_running || fail "the game ended before its window appeared (see its stderr)"
    sleep 0.05
  done
  [ -n "$WIN" ] || fail "no window titled PIGMENTBURGH appeared within 10 s"
  for i in $(seq 100); do
    [ "$(xdotool getactivewindow 2>/dev/null)" = "$WIN" ] && break
    xdotool windowactivate "$WIN" 2>/dev/null || true
    sleep 0.05
  done
  [ "$(xdotool getactivewindow 2>/dev/null)" = "$WIN" ] || fail "the game's window never got the keyboard focus"
  # The game moves its window once the window manager has framed it: wait
  # until the place holds still.
  local last="" now same=0
  for i in $(seq 60); do
    read_geometry
    now="$WIN_X $WIN_Y $WIN_W $WIN_H"
    if [ "$now" = "$last" ]; then same=$((same + 1)); else same=0; fi
    [ "$same" -ge 3 ] && return 0
    last=$now
    sleep 0.05
  done
  fail "the window kept moving: last at $now"
}

read_geometry() {
  local info
  info=$(xwininfo -id "$WIN")
  WIN_X=$(awk '/Absolute upper-left X/ {print $4}' <<<"$info")
  WIN_Y=$(awk '/Absolute upper-left Y/ {print $4}' <<<"$info")
  WIN_W=$(awk '/^ *Width:/ {print $2}' <<<"$info")
  WIN_H=$(awk '/^ *Height:/ {print $2}' <<<"$info")
  export WIN_X WIN_Y
}

game_running() {
  local state
  state=$(awk '{print $3}' "/proc/$GAME_PID/stat" 2>/dev/null) || return 1
  [ -n "$state" ] && [ "$state" != Z ]
}

# wait_exit SECONDS: waits for the game to end; sets EXIT_STATUS and EXIT_MILLIS
# (how long it took).
wait_exit() {
  local limit_ms=$(($(awk "BEGIN {print int($1 * 1000)}"))) start now
  start=$(date +%s%3N)
  while game_running; do
    now=$(date +%s%3N)
    [ $((now - start)) -le "$limit_ms" ] || fail "the game was still running $1 s later"
    sleep 0.01
  done
  EXIT_MILLIS=$(($(date +%s%3N) - start))
  EXIT_STATUS=0
  wait "$GAME_PID" || EXIT_STATUS=$?
  GAME_PID=""
}

expect_exit() {  # expect_exit STATUS SECONDS
  wait_exit "$2"
  [ "$EXIT_STATUS" -eq "$1" ] || fail "the game ended with status $EXIT_STATUS, expected $1"
}

stop_leftover_game() {
  if [ -n "$GAME_PID" ] && game_running; then kill -KILL "$GAME_PID" 2>/dev/null || true; fi
}

# CPU time the game has used so far, in clock ticks (user + system).
cpu_ticks() { awk '{print $14 + $15}' "/proc/$GAME_PID/stat"; }
# The game's CPU use over the next $1 seconds, in thousandths of one core.
cpu_permille() {
  local before after
  before=$(cpu_ticks); sleep "$1"; after=$(cpu_ticks)
  echo $(( (after - before) * 1000 / CLOCK_TICKS / $1 ))
}
# Thousandths as a percentage with one decimal: 25 -> 2.5
permille_text() { echo "$(($1 / 10)).$(($1 % 10))"; }
CLOCK_TICKS=$(getconf CLK_TCK)

# ---- eyes -------------------------------------------------------------------

# wait_for [-t SECONDS] CONDITION...: polls screenshots until the condition holds
# (see e2e_tool.py for the conditions).
wait_for() {
  local timeout=5
  if [ "$1" = -t ]; then timeout=$2; shift 2; fi
  SHOT_INDEX=$((SHOT_INDEX + 1))
  "$PYTHON" "$TOOL" wait "$SCENARIO_DIR/shot-$SHOT_INDEX" "$timeout" "$@" || fail "the game did not show it"
}

# screenshot NAME: keeps a PNG for a person to look at; prints its path.
screenshot() { "$PYTHON" "$TOOL" shot "$SCENARIO_DIR/$1"; }

# ---- hands ------------------------------------------------------------------

# point VX VY: the pointer to the middle of virtual pixel (VX, VY).
point() { xdotool mousemove $((WIN_X + SCALE * $1 + 1)) $((WIN_Y + SCALE * $2 + 1)); }
# point_cell X Y: the pointer into the middle of cell (X, Y).
point_cell() { point $((8 * $1 + 4)) $((8 * $2 + 4)); }
# Parks the pointer on the status bar, away from every cell.
park_pointer() { point 300 268; }

key() { xdotool key "$@"; }
# A key the game reads as held must stay down for some frames: xdotool key
# presses and releases within one.
hold_key() {
  xdotool keydown "$1"
  sleep 0.3
  xdotool keyup "$1"
}
click() { xdotool click "$1"; }  # X buttons: 1 left, 3 right

# Leaves the help screen with Enter and waits for the playfield. Cell (0, 0)
# must be empty in the world played.
leave_help() {
  park_pointer
  key Return
  wait_for pixel 1 1 128 128 128
}
