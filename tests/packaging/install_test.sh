#!/usr/bin/env bash
# Installs the build into a scratch prefix and starts each launcher with a
# fresh working folder: the programs, pictures, language files and desktop
# entries must be where the launchers and desktops look for them, the folder
# must be prepared before the program starts, and a lab's own files in it
# must survive. The manual pages, copyright and changelog are where man and
# the Debian tools look.
set -euo pipefail
build=$1
scratch=$2
rm -rf "$scratch"
prefix="$scratch/prefix"
cmake --install "$build" --prefix "$prefix" >/dev/null

fail() { echo "FAIL: $*" >&2; exit 1; }

[[ -x "$prefix/bin/quib_bot" ]] || fail "bin/quib_bot missing"
for command in quib-server quib-client quib_bot quib_export; do
  page="$prefix/share/man/man1/$command.1.gz"
  [[ -f "$page" ]] || fail "manual page of $command missing"
  zcat "$page" | grep -q "^\.TH \"\?${command^^}" || fail "$page is not the page of $command"
done
for package in quib-server quib-client; do
  for file in copyright changelog.Debian.gz; do
    [[ -f "$prefix/share/doc/$package/$file" ]] || fail "share/doc/$package/$file missing"
  done
done
# The export runs from the installed tree without a display.
"$prefix/bin/quib_export" --help 2>&1 | grep -q "Usage: quib_export" || fail "bin/quib_export does not start"
for launcher in quib-server quib-client; do
  program=${launcher/-/_}
  [[ -x "$prefix/bin/$launcher" ]] || fail "launcher bin/$launcher missing"
  [[ -x "$prefix/libexec/quib/$program" ]] || fail "program libexec/quib/$program missing"
  [[ -f "$prefix/share/applications/$launcher.desktop" ]] || fail "desktop entry of $launcher missing"
  [[ -f "$prefix/share/pixmaps/$launcher.png" ]] || fail "icon of $launcher missing"
  [[ -f "$prefix/share/$launcher/${program}_en.lang" ]] || fail "English texts of $launcher missing"
  pictures=("$prefix/share/$launcher"/grafik/*.png)
  [[ -f "${pictures[0]}" ]] || fail "no pictures for $launcher"

  variable=QUIB_${program#quib_}_DIR
  variable=${variable^^}
  # --help and --version go straight to the program: answered without a
  # display, and the working folder is not made for them.
  unused="$scratch/$launcher-unused"
  for option in --help --version; do
    output=$(env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM "$variable=$unused" \
      timeout 20 "$prefix/bin/$launcher" "$option") || fail "$launcher $option failed"
    [[ "$(head -n 1 <<<"$output")" == @(Usage: |)"$program "* ]] ||
      fail "$launcher $option printed: $output"
  done
  [[ ! -e "$unused" ]] || fail "$launcher --help made its working folder"

  # A folder the lab has already used: its own English texts stay.
  folder="$scratch/$launcher-folder"
  mkdir -p "$folder"
  printf 'lab edit\r\n' > "$folder/${program}_en.lang"
  # Without settings each program waits in its first-start dialog; the
  # launcher's work is done by then.
  status=0
  env "$variable=$folder" QT_QPA_PLATFORM=offscreen timeout 5 "$prefix/bin/$launcher" \
    >/dev/null 2>&1 || status=$?
  [[ $status -eq 124 ]] || fail "$launcher ended with $status instead of waiting in its dialog"
  [[ "$(cat "$folder/${program}_en.lang")" == $'lab edit\r' ]] || fail "$launcher overwrote the lab's texts"
  for picture in "${pictures[@]}"; do
    cmp -s "$picture" "$folder/grafik/${picture##*/}" || fail "$launcher did not copy ${picture##*/}"
  done
done
# The records check through the launcher: a folder given relative to where
# the command is typed, and without one the working folder, which it does
# not make.
lab="$scratch/lab"
mkdir -p "$lab/log" "$lab/log2"
status=0
(cd "$scratch" && env -u DISPLAY QUIB_SERVER_DIR="$scratch/elsewhere" \
  "$prefix/bin/quib-server" --check-records lab >"$scratch/check.out" 2>&1) || status=$?
[[ $status -eq 0 ]] || fail "quib-server --check-records lab ended with $status: $(cat "$scratch/check.out")"
grep -q "^checked 0 games" "$scratch/check.out" || fail "quib-server --check-records lab printed: $(cat "$scratch/check.out")"
status=0
env -u DISPLAY QUIB_SERVER_DIR="$lab" "$prefix/bin/quib-server" --check-records \
  >"$scratch/check.out" 2>&1 || status=$?
[[ $status -eq 0 ]] || fail "quib-server --check-records in its working folder ended with $status"
status=0
env -u DISPLAY QUIB_SERVER_DIR="$scratch/not-made" "$prefix/bin/quib-server" --check-records \
  >/dev/null 2>&1 || status=$?
[[ $status -eq 2 && ! -e "$scratch/not-made" ]] ||
  fail "quib-server --check-records without a working folder ended with $status or made it"
echo "install layout and launchers: ok"
