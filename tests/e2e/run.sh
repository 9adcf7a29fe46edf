#!/usr/bin/env bash
# The game played as a player would: the real executable in a real X window
# (Xvfb, 1920x1080, with a small window manager), driven by X input and
# checked by screenshots and by the save file it leaves.
# Usage: tests/e2e/run.sh path/to/pigmentburgh [scenario-name ...]
# Keeps the scenario directories (screenshots, save files, the game's output)
# under $PIGMENT_E2E_DIR or a fresh /tmp directory, and names them on failure.
set -uo pipefail

E2E_HERE=$(cd "$(dirname "$0")" && pwd)
[ $# -ge 1 ] || { echo "usage: $0 path/to/pigmentburgh [scenario ...]" >&2; exit 2; }
BINARY=$(realpath "$1")
shift
[ -x "$BINARY" ] || { echo "e2e: no executable game at $BINARY" >&2; exit 2; }
for tool in Xvfb openbox xdotool xwininfo xprop import convert python3; do
  command -v "$tool" >/dev/null || { echo "e2e: $tool is missing (scripts/install-deps.sh test installs it)" >&2; exit 2; }
done

E2E_ROOT=${PIGMENT_E2E_DIR:-$(mktemp -d /tmp/pigment-e2e.XXXXXX)}
mkdir -p "$E2E_ROOT"
export E2E_HERE E2E_ROOT BINARY

XVFB_PID=""
WM_PID=""
cleanup() {
  [ -n "$WM_PID" ] && kill "$WM_PID" 2>/dev/null
  [ -n "$XVFB_PID" ] && kill "$XVFB_PID" 2>/dev/null
  wait 2>/dev/null
}
trap cleanup EXIT
trap 'exit 130' INT TERM

# Xvfb picks a display number nobody uses and writes it to the file once it
# accepts connections; the window manager is ready once it has announced
# itself on the root window. Both are bounded: a loaded machine may be slow.
start_display() {
  local i number_file="$E2E_ROOT/display-number"
  : >"$number_file"
  Xvfb -displayfd 3 -screen 0 1920x1080x24 -nolisten tcp 3>"$number_file" >"$E2E_ROOT/xvfb.log" 2>&1 &
  XVFB_PID=$!
  for i in $(seq 600); do
    grep -q '^[0-9]' "$number_file" && break
    kill -0 "$XVFB_PID" 2>/dev/null || { echo "e2e: Xvfb did not start:"; cat "$E2E_ROOT/xvfb.log"; exit 2; }
    sleep 0.05
  done
  grep -q '^[0-9]' "$number_file" || { echo "e2e: Xvfb did not start within 30 s"; exit 2; }
  export DISPLAY=":$(head -1 "$number_file")"
  openbox --config-file "$E2E_HERE/openbox.xml" >"$E2E_ROOT/openbox.log" 2>&1 &
  WM_PID=$!
  for i in $(seq 600); do
    xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id' && return 0
    kill -0 "$WM_PID" 2>/dev/null || break
    sleep 0.05
  done
  echo "e2e: the window manager did not start"; cat "$E2E_ROOT/openbox.log"; exit 2
}

start_display

if [ $# -gt 0 ]; then
  names=("$@")
else
  # In the order they are written in scenarios.sh.
  mapfile -t names < <(grep -o '^scenario_[a-z0-9_]*' "$E2E_HERE/scenarios.sh" | sed 's/^scenario_//')
fi

passed=0
failed=0
failures=()
suite_start=$(date +%s%3N)
for name in "${names[@]}"; do
  dir="$E2E_ROOT/$name"
  mkdir -p "$dir"
  start=$(date +%s%3N)
  # Each scenario runs in its own bash with set -e: its first failed step ends it.
  SCENARIO_DIR="$dir" bash -c '
    set -euo pipefail
    source "$E2E_HERE/lib.sh"
    source "$E2E_HERE/scenarios.sh"
    trap stop_leftover_game EXIT
    "scenario_$1"
  ' _ "$name" >"$dir/log" 2>&1
  status=$?
  took=$(( $(date +%s%3N) - start ))
  # Raw screens (baselines) are large; the PNGs stay for people to look at.
  find "$dir" -name '*.ppm' -delete
  if [ $status -eq 0 ]; then
    passed=$((passed + 1))
    printf '  PASS %-40s %5d ms\n' "$name" "$took"
    grep '^    \(figure\|note\):' "$dir/log" || true
  else
    failed=$((failed + 1))
    failures+=("$name")
    printf '  FAIL %-40s %5d ms\n' "$name" "$took"
    sed 's/^/      /' "$dir/log"
  fi
done
echo "e2e: suite took $(( $(date +%s%3N) - suite_start )) ms; scenario directories in $E2E_ROOT"
echo "e2e: $passed passed, $failed failed"
[ $failed -eq 0 ]
