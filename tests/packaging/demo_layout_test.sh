#!/usr/bin/env bash
# Where scripts/run's demo places its three windows on screens of common
# sizes: on a 1920 x 1080 screen and larger the layout the README shows; on
# every screen the players' windows wholly on it, and the server's too
# wherever it fits (from 1353 x 700: its window has that fixed size), else
# at the top left with a warning. The players' windows are 512 x 300
# (baseHight 300).
set -euo pipefail
layout=$1/scripts/demo-layout

fail() { echo "FAIL: $*" >&2; exit 1; }
warning_file=$(mktemp)
trap 'rm -f "$warning_file"' EXIT

# screen | server | player1 | player2
cases=(
  "1920x1080|+0+0|+1370+0|+1370+380"
  "3840x2160|+0+0|+1370+0|+1370+380"
  "1366x768|+0+0|+854+0|+854+380"
  "1280x1024|+0+0|+0+724|+529+724"
  "1024x600|+0+0|+512+0|+512+300"
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
  IFS='|' read -r screen server player1 player2 <<<"$entry"
  expected=$(printf 'server %s\nplayer1 %s\nplayer2 %s' "$server" "$player1" "$player2")
  actual=$("$layout" "$screen" 2>"$warning_file")
  warning=$(cat "$warning_file")
  [[ "$actual" == "$expected" ]] || fail "$screen: got
$actual
expected
$expected"
  width=${screen%x*}
  height=${screen#*x}
  on_screen "$screen player1" 512 300 "$player1" "$width" "$height"
  on_screen "$screen player2" 512 300 "$player2" "$width" "$height"
  if ((width >= 1353 && height >= 700)); then
    on_screen "$screen server" 1353 700 "$server" "$width" "$height"
    [[ -z "$warning" ]] || fail "$screen: warns \"$warning\" although everything fits"
  else
    [[ "$warning" == *"smaller than the server's window"* ]] ||
      fail "$screen: no warning that the server's window does not fit"
  fi
done

for bad in "" "1366" "x768" "1366x768x24" "300x200"; do
  if "$layout" "$bad" >/dev/null 2>&1; then
    fail "\"$bad\" was taken as a screen size"
  fi
done
echo "demo layout: ok"
