#!/usr/bin/env bash
# Where scripts/run's demo places its three windows on screens of common
# sizes: on a 1920 x 1080 screen and larger the layout the README shows,
# and on every screen each window wholly on it. The windows' sizes here are
# the programs' own: the server's fixed 1353 x 700 (times the scale), the
# players' 512 x 300 of baseHight 300.
set -euo pipefail
layout=$1/scripts/demo-layout

fail() { echo "FAIL: $*" >&2; exit 1; }

# screen | scale | server | player1 | player2
cases=(
  "1920x1080|1|+0+0|+1370+0|+1370+380"
  "3840x2160|1|+0+0|+1370+0|+1370+380"
  "1366x768|1|+0+0|+854+0|+854+380"
  "1280x1024|0.94|+0+0|+0+724|+529+724"
  "1024x600|0.75|+0+0|+512+0|+512+300"
)

# Fails unless a window of WxH at +X+Y lies on the screen.
on_screen() {
  local name=$1 w=$2 h=$3 position=$4 screen_w=$5 screen_h=$6
  [[ "$position" =~ ^\+([0-9]+)\+([0-9]+)$ ]] || fail "$name: position \"$position\""
  local x=${BASH_REMATCH[1]} y=${BASH_REMATCH[2]}
  ((x + w <= screen_w && y + h <= screen_h)) ||
    fail "$name: ${w}x${h}$position reaches beyond the ${screen_w}x${screen_h} screen"
}

for entry in "${cases[@]}"; do
  IFS='|' read -r screen scale server player1 player2 <<<"$entry"
  expected=$(printf 'scale %s\nserver %s\nplayer1 %s\nplayer2 %s' "$scale" "$server" "$player1" "$player2")
  actual=$("$layout" "$screen")
  [[ "$actual" == "$expected" ]] || fail "$screen: got
$actual
expected
$expected"
  width=${screen%x*}
  height=${screen#*x}
  # Qt rounds the scaled size to whole pixels.
  server_w=$(awk -v s="$scale" 'BEGIN { printf "%d", 1353 * s + 0.5 }')
  server_h=$(awk -v s="$scale" 'BEGIN { printf "%d", 700 * s + 0.5 }')
  on_screen "$screen server" "$server_w" "$server_h" "$server" "$width" "$height"
  on_screen "$screen player1" 512 300 "$player1" "$width" "$height"
  on_screen "$screen player2" 512 300 "$player2" "$width" "$height"
done

for bad in "" "1366" "x768" "1366x768x24" "300x200"; do
  if "$layout" "$bad" >/dev/null 2>&1; then
    fail "\"$bad\" was taken as a screen size"
  fi
done
echo "demo layout: ok"
