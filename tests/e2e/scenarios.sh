# The end-to-end scenarios, run in this order by run.sh, each in its own bash
# with lib.sh loaded and set -e. Every scenario starts from a save it writes
# itself, so the world it plays is known; cell (0, 0) stays empty in all of
# them, which leave_help relies on.

# A world with nothing in it: grey field, grid lines, no generators.
EMPTY_WORLD='{"money": [0, 0, 0]}'

# Virtual pixel inside cell (x, y), off its hover outline.
cell_px() { echo $((8 * $1 + 3)) $((8 * $2 + 3)); }

scenario_window_frame_and_escape() {
  install_game
  make_save "$EMPTY_WORLD"
  start_game
  [ "$WIN_W" -eq 1440 ] && [ "$WIN_H" -eq 810 ] || fail "client area ${WIN_W}x${WIN_H}, expected 1440x810"
  [ "$WIN_X" -eq "$WANT_X" ] && [ "$WIN_Y" -eq "$WANT_Y" ] ||
    fail "client area at ($WIN_X, $WIN_Y), expected centred at ($WANT_X, $WANT_Y)"
  wait_for help-screen
  say "note: help screen at start-up: $(screenshot help)"

  leave_help
  # Every window pixel of the field: grey cells, dark lines along each cell's
  # top and left edges, every virtual pixel an exact 3x3 block.
  wait_for empty-field
  # The pointer mark over the status bar, and no hover outline in the field.
  wait_for pixel 300 268 255 255 255
  wait_for pixel 301 268 255 255 255
  wait_for pixel 300 269 255 255 255
  wait_for pixel 301 269 0 0 0
  say "note: empty field: $(screenshot field)"

  key Escape
  expect_exit 0 1
  say "figure: Escape to exit: $EXIT_MILLIS ms"
  [ "$(save_field "s['size']")" -eq 5418 ] || fail "the save of an empty world is not 5418 bytes"
}

scenario_any_working_directory_restores_the_world() {
  install_game
  # No generators, so nothing changes while it runs: the save must come back
  # byte for byte.
  make_save '{"money": [12, -3, 40000], "cells": [[5, 5, 0, 200], [59, 29, 2, 1], [30, 10, 1, 77]]}'
  cp "$SAVE" "$SCENARIO_DIR/save.before"
  local elsewhere="$SCENARIO_DIR/elsewhere"
  mkdir -p "$elsewhere"
  local from
  for from in "$elsewhere" /; do
    start_game "$from"
    leave_help
    read -r px py <<<"$(cell_px 5 5)"
    wait_for pixel "$px" "$py" 200 0 0
    key Escape
    expect_exit 0 2
    cmp -s "$SAVE" "$SCENARIO_DIR/save.before" || fail "the world saved after a run from $from differs from the one loaded"
  done
  [ -z "$(ls -A "$elsewhere")" ] || fail "the game wrote into the directory it was started from: $(ls -A "$elsewhere")"
}

scenario_no_display_ends_with_a_message() {
  install_game
  make_save '{"money": [1, 2, 3], "cells": [[4, 4, 1, 9]]}'
  cp "$SAVE" "$SCENARIO_DIR/save.before"
  local n=200 driver
  while [ -e "/tmp/.X11-unix/X$n" ] || [ -e "/tmp/.X$n-lock" ]; do n=$((n + 1)); done
  # Unnamed driver: SDL tries everything it has; named: only X11.
  for driver in "" x11; do
    local choice=(-u SDL_VIDEODRIVER)
    [ -n "$driver" ] && choice=("SDL_VIDEODRIVER=$driver")
    (cd "$GAME_DIR" && exec env -u WAYLAND_DISPLAY "${choice[@]}" DISPLAY=":$n" ./pigmentburgh \
      >"$SCENARIO_DIR/stdout" 2>"$SCENARIO_DIR/stderr") &
    GAME_PID=$!
    expect_exit 1 5
    # (Libraries under SDL may add lines of their own.)
    [ "$(grep -c '^PIGMENTBURGH: ' "$SCENARIO_DIR/stderr")" -eq 1 ] ||
      fail "expected one line of the game's on standard error, got: $(cat "$SCENARIO_DIR/stderr")"
    say "note: with SDL_VIDEODRIVER='${driver}': $(grep '^PIGMENTBURGH: ' "$SCENARIO_DIR/stderr")"
    cmp -s "$SAVE" "$SCENARIO_DIR/save.before" || fail "the save changed although the game never ran"
  done
}

# Minimises the window and waits until the window manager says it is iconic.
minimise() {
  xdotool windowminimize "$WIN"
  local i
  for i in $(seq 100); do
    xprop -id "$WIN" WM_STATE 2>/dev/null | grep -q Iconic && break
    sleep 0.05
  done
  xprop -id "$WIN" WM_STATE | grep -q Iconic || fail "the window did not minimise"
  sleep 0.2  # the game learns of it with its next pump
}

# expect_idle_minimised WHERE SECONDS: minimises the game and expects it to use
# under a tenth of a core over that many seconds.
expect_idle_minimised() {
  minimise
  local used
  used=$(cpu_permille "$2")
  say "figure: CPU minimised $1: $(permille_text "$used")% of a core"
  [ "$used" -lt 100 ] || fail "minimised $1, the game used $(permille_text "$used")% of a core"
}

scenario_minimised_sleeps_and_keeps_time() {
  install_game
  # A level-1 emitter's charge counts steps: after n steps its target holds
  # n / 1000 units and its charge is n mod 1000.
  make_save '{"generators": [[10, 10, 0, 1, 0, 1]]}'
  local started
  started=$(date +%s%3N)
  start_game
  local shown
  shown=$(date +%s%3N)
  wait_for help-screen
  say "figure: CPU on the help screen: $(permille_text "$(cpu_permille 2)")% of a core"
  # The help screen, minimised, must not spin either.
  expect_idle_minimised "on the help screen" 2
  xdotool windowactivate --sync "$WIN"
  wait_for help-screen
  leave_help
  say "figure: CPU in play: $(permille_text "$(cpu_permille 2)")% of a core"
  expect_idle_minimised "in play" 3

  xdotool windowactivate --sync "$WIN"
  wait_for pixel 1 1 128 128 128
  local quit
  quit=$(date +%s%3N)
  key Escape
  expect_exit 0 2
  local ended
  ended=$(date +%s%3N)
  local units charge steps
  units=$(save_field "[v for x, y, c, v in s['cells'] if (x, y, c) == (11, 10, 0)] or [0]")
  units=${units//[^0-9]/}
  charge=$(save_field "s['generators'][0][4]")
  steps=$((units * 1000 + charge))
  local least=$(( (quit - shown) / 5 - 20 )) most=$(( (ended - started) / 5 + 2 ))
  say "figure: $steps steps in $((ended - started)) ms of wall clock (between $least and $most expected)"
  [ "$steps" -ge "$least" ] && [ "$steps" -le "$most" ] ||
    fail "the world advanced $steps steps; the wall clock says between $least and $most"
}

scenario_help_screen_escape_and_close_requests() {
  install_game
  make_save "$EMPTY_WORLD"
  start_game
  wait_for help-screen
  # Escape, held as a player holds it, closes the help screen but not the game.
  hold_key Escape
  wait_for pixel 1 1 128 128 128
  game_running || fail "Escape on the help screen ended the game"
  key Return
  wait_for help-screen
  # A close request (the window manager's close shortcut sends WM_DELETE_WINDOW)
  # while the help screen is open only closes the screen...
  key alt+F4
  wait_for pixel 1 1 128 128 128
  game_running || fail "a close request on the help screen ended the game"
  # ...and a second one, in play, ends the game and saves.
  rm -f "$SAVE"
  key alt+F4
  expect_exit 0 2
  [ -f "$SAVE" ] || fail "no save after a close request in play"
}

# signal_run FIRST SECOND: FIRST arrives on the help screen, SECOND in play.
signal_run() {
  install_game
  make_save "$EMPTY_WORLD"
  start_game
  wait_for help-screen
  kill "-$1" "$GAME_PID"
  wait_for pixel 1 1 128 128 128
  game_running || fail "SIG$1 on the help screen ended the game"
  rm -f "$SAVE"
  kill "-$2" "$GAME_PID"
  expect_exit 0 2
  [ -f "$SAVE" ] || fail "no save after SIG$2 in play"
}
scenario_sigterm_on_help_then_sigint_in_play() { signal_run TERM INT; }
scenario_sigint_on_help_then_sigterm_in_play() { signal_run INT TERM; }

scenario_select_by_both_keys_and_harvest() {
  install_game
  make_save '{"cells": [[5, 5, 0, 7], [5, 5, 2, 3], [6, 5, 1, 4]]}'
  start_game
  leave_help
  # Over a free cell the status bar previews the next purchase: the selected
  # facing's sprite in the selected colour.
  point_cell 20 20
  wait_for sprite 8 242 up red
  local pair
  for pair in "d right" "s down" "a left" "w up" "Right right" "Down down" "Left left" "Up up" "e extractor"; do
    read -r k facing <<<"$pair"
    key "$k"
    wait_for sprite 8 242 "$facing" red
  done
  for pair in "x green" "c blue" "z red" "g green" "b blue" "r red"; do
    read -r k colour <<<"$pair"
    key "$k"
    wait_for sprite 8 242 extractor "$colour"
  done
  # Harvest: hold the right button over the cell until it is empty.
  point_cell 5 5
  xdotool mousedown 3
  read -r px py <<<"$(cell_px 5 5)"
  wait_for pixel "$px" "$py" 128 128 128
  xdotool mouseup 3
  read -r px py <<<"$(cell_px 6 5)"
  wait_for pixel "$px" "$py" 0 4 0  # the neighbour is untouched
  key Escape
  expect_exit 0 2
  [ "$(save_field "s['money']")" = "[7, 0, 3]" ] || fail "balances after the harvest: $(save_field "s['money']")"
  [ "$(save_field "s['cells']")" = "[[6, 5, 1, 4]]" ] || fail "cells after the harvest: $(save_field "s['cells']")"
}

# The upgrade line of the status bar, without the frame rate and balances.
ACTION_LINE="16 241 384 9"

scenario_buy_upgrade_and_sell() {
  install_game
  make_save '{"money": [200, 200, 200]}'
  start_game
  leave_help
  # A green left-facing generator at (20, 10).
  point_cell 20 10
  key x Left
  wait_for sprite 8 242 left green
  click 1
  wait_for sprite 160 80 left green
  grep -q $'^generator spawned\r$' "$SCENARIO_DIR/stdout" || fail "no \"generator spawned\" line on standard output"
  say "note: a green generator bought: $(screenshot bought)"
  # One click: one level (10). Left Shift held: as many as the balance allows.
  baseline=$(screenshot before-upgrade)
  click 1
  wait_for changed $ACTION_LINE "${baseline%.png}.ppm"
  xdotool keydown Shift_L
  sleep 0.15
  baseline=$(screenshot before-shift-upgrade)
  click 1
  wait_for changed $ACTION_LINE "${baseline%.png}.ppm"
  xdotool keyup Shift_L
  # A red extractor at (22, 10), sold again with Space.
  point_cell 22 10
  key r e
  wait_for sprite 8 242 extractor red
  click 1
  wait_for sprite 176 80 extractor red
  key space
  wait_for no-sprite 176 80
  [ "$(grep -c 'generator spawned' "$SCENARIO_DIR/stdout")" -eq 2 ] || fail "expected two \"generator spawned\" lines"
  key Escape
  expect_exit 0 2
  # Green: 200 - 5 (buy) - 10 (click) - 20 - 30 - 40 - 50 (Shift) = 45, level 6.
  # Red: bought for 5, refunded 5.
  [ "$(save_field "s['money']")" = "[200, 45, 200]" ] || fail "balances: $(save_field "s['money']")"
  [ "$(save_field "[g[:4] + g[5:] for g in s['generators']]")" = "[[20, 10, 1, 6, 3]]" ] ||
    fail "generators: $(save_field "s['generators']")"
  [ "$(save_field "s['counts']")" = "[0, 1, 0]" ] || fail "counts: $(save_field "s['counts']")"
}

scenario_emitter_feeds_its_neighbour() {
  install_game
  # A level-200 red emitter facing right: 40 units a second into (31, 15).
  make_save '{"generators": [[30, 15, 0, 200, 0, 1]]}'
  start_game
  leave_help
  read -r px py <<<"$(cell_px 31 15)"
  wait_for red-at-least "$px" "$py" 40
  wait_for red-at-least "$px" "$py" 120
  wait_for sprite 240 120 right red
  say "note: the emitter feeding its neighbour: $(screenshot feeding)"
  key Escape
  expect_exit 0 2
  local fed
  fed=$(save_field "[v for x, y, c, v in s['cells'] if (x, y, c) == (31, 15, 0)][0]")
  [ "$fed" -ge 120 ] || fail "the neighbour holds $fed red units"
}

scenario_input_storm_is_survived() {
  install_game
  make_save '{"cells": [[3, 3, 0, 9], [40, 20, 2, 5]]}'
  start_game
  leave_help
  # Clicks stay on the client area (on the desktop they would open the window
  # manager's menus); drags with the right button held leave it.
  local args=() i x y
  RANDOM=7
  for i in $(seq 300); do
    x=$((WIN_X + RANDOM % WIN_W))
    y=$((WIN_Y + RANDOM % WIN_H))
    args+=(mousemove "$x" "$y")
    case $((i % 8)) in
      0) args+=(click 1) ;;
      1) args+=(click --repeat 5 --delay 1 1) ;;
      2) args+=(click 2) ;;
      3) args+=(key --delay 0 w a s d e Up Down Left Right) ;;
      4) args+=(key --delay 0 r g b z x c space) ;;
      5) args+=(mousedown 3 mousemove $((WIN_X - 40)) $((y - 40)) mousemove "$x" "$y" mouseup 3) ;;
    esac
  done
  args+=(mousemove "$((WIN_X + 100))" "$((WIN_Y + 100))")
  xdotool "${args[@]}"
  game_running || fail "the game died in the storm"
  wait_for not-pixel 1 1 0 0 0  # still drawing the field
  key Escape
  expect_exit 0 2
  [ "$(save_field "s['size'] == 5418 + 8 * sum(s['counts']) == 5418 + 8 * len(s['generators'])")" = True ] ||
    fail "the save after the storm does not add up: $(read_save)"
}

# A busy world: generators of every colour and facing at work on coloured
# cells, the pointer on one of them. Its screenshot is the one a person looks
# at first (the README's picture is a crop of it).
scenario_a_world_in_play() {
  install_game
  make_save "$("$PYTHON" - <<'PY'
import json, random
random.seed(3)
cells = []
for _ in range(160):
    cells.append([random.randrange(60), random.randrange(1, 30), random.randrange(3), random.choice([1, 40, 90, 160, 255])])
gens = [[12, 8, 0, 40, 0, 1], [13, 8, 0, 1, 0, 4], [20, 14, 1, 120, 0, 2], [20, 15, 1, 3, 0, 4],
        [33, 20, 2, 250, 0, 3], [32, 20, 2, 2, 0, 4], [44, 6, 0, 7, 0, 0], [44, 5, 1, 900, 0, 0],
        [50, 24, 2, 60, 0, 1], [8, 25, 1, 15, 0, 3]]
for g in gens:
    cells = [c for c in cells if (c[0], c[1]) != (g[0], g[1]) or g[5] == 4]
print(json.dumps({"money": [1234, 560, 78], "cells": cells, "generators": gens}))
PY
)"
  start_game
  leave_help
  point_cell 20 14
  wait_for sprite 96 64 right red
  wait_for sprite 104 64 extractor red
  wait_for sprite 160 112 down green
  wait_for sprite 264 160 left blue
  wait_for sprite 352 48 up red
  wait_for sprite 8 242 down green  # the hovered generator in the status bar
  say "note: a world in play: $(screenshot play)"
  key Escape
  expect_exit 0 2
}

scenario_truncated_save_stops_with_status_255() {
  install_game
  make_save '{"money": [5, 5, 5], "generators": [[1, 1, 0, 1, 0, 0]]}'
  head -c 5420 "$SAVE" >"$SCENARIO_DIR/save.cut"
  cp "$SCENARIO_DIR/save.cut" "$SAVE"
  (cd "$SCENARIO_DIR" && exec env SDL_VIDEODRIVER=x11 "$GAME_DIR/pigmentburgh" >"$SCENARIO_DIR/stdout" 2>"$SCENARIO_DIR/stderr") &
  GAME_PID=$!
  expect_exit 255 5
  [ "$(cat "$SCENARIO_DIR/stderr")" = "Error reading from stream" ] ||
    fail "standard error: '$(cat "$SCENARIO_DIR/stderr")'"
  cmp -s "$SAVE" "$SCENARIO_DIR/save.cut" || fail "the truncated save was changed"
}

# buy_with_stdout MODE: buys a generator with standard output closed or a pipe
# nobody reads; the game goes on and saves it.
buy_with_stdout() {
  install_game
  make_save '{"money": [100, 0, 0]}'
  if [ "$1" = closed ]; then
    (cd "$SCENARIO_DIR" && exec env SDL_VIDEODRIVER=x11 "$GAME_DIR/pigmentburgh" >&- 2>"$SCENARIO_DIR/stderr") &
  else
    local fifo="$SCENARIO_DIR/stdout.fifo"
    mkfifo "$fifo"
    # The reader opens the pipe and goes away at once: every write breaks.
    (exec 3<"$fifo"; exec 3<&-) &
    (cd "$SCENARIO_DIR" && exec env SDL_VIDEODRIVER=x11 "$GAME_DIR/pigmentburgh" >"$fifo" 2>"$SCENARIO_DIR/stderr") &
  fi
  GAME_PID=$!
  find_window
  leave_help
  point_cell 12 12
  click 1
  wait_for sprite 96 96 up red
  point_cell 14 12
  click 1
  wait_for sprite 112 96 up red
  key Escape
  expect_exit 0 2
  [ "$(save_field "len(s['generators'])")" -eq 2 ] || fail "the generators were not saved"
}
scenario_closed_stdout_does_not_stop_the_game() { buy_with_stdout closed; }
scenario_broken_pipe_does_not_stop_the_game() { buy_with_stdout broken; }
