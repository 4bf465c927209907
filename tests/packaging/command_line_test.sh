#!/usr/bin/env bash
# Every program answers --help and --version on stdout with exit status 0,
# and refuses an option it does not know with exit status 2, all without a
# display: no DISPLAY, no WAYLAND_DISPLAY, no QT_QPA_PLATFORM, so a program
# that reached QApplication would abort instead. Each runs in an empty
# folder that must stay empty (a window program would make its work folders
# and settings there). The version is the one CMake passes in, the
# project's own.
set -euo pipefail
bin=$1
version=$2
scratch=$3

fail() { echo "FAIL: $*" >&2; exit 1; }

# program | arguments | exit status | stream | its first line (a bash pattern)
cases=(
  "quib_server|--help|0|out|Usage: quib_server [[]-geometry +X+Y]"
  "quib_server|--version|0|out|quib_server (quib) $version"
  "quib_server|-geometry +10+20 --help|0|out|Usage: quib_server *"
  "quib_server|--no-such-option|2|err|quib_server: unknown option \"--no-such-option\""
  "quib_server|-geometry +0+0 --fullscreen|2|err|quib_server: unknown option \"--fullscreen\""
  "quib_client|--help|0|out|Usage: quib_client [[]/d] [[]-geometry +X+Y]"
  "quib_client|--version|0|out|quib_client (quib) $version"
  "quib_client|/d -geometry +1370+0 --version|0|out|quib_client (quib) $version"
  "quib_client|/d --no-such-option|2|err|quib_client: unknown option \"--no-such-option\""
  "quib_bot|--help|0|out|Usage: quib_bot *"
  "quib_bot|--version|0|out|quib_bot (quib) $version"
  "quib_bot|--no-such-option|2|err|quib_bot: unknown option \"--no-such-option\""
  "quib_export|--help|0|out|Usage: quib_export *"
  "quib_export|--version|0|out|quib_export (quib) $version"
  "quib_export|--no-such-option|2|err|quib_export: unknown option --no-such-option"
)

for entry in "${cases[@]}"; do
  IFS='|' read -r program arguments expected_status stream expected_line <<<"$entry"
  rm -rf "$scratch"
  mkdir -p "$scratch/here"
  status=0
  # shellcheck disable=SC2086  # the arguments are words on purpose
  (cd "$scratch/here" &&
    env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM timeout 20 "$bin/$program" $arguments \
      >"$scratch/out" 2>"$scratch/err") || status=$?
  what="$program $arguments"
  [[ $status -eq $expected_status ]] ||
    fail "$what: exit status $status instead of $expected_status; stderr: $(cat "$scratch/err")"
  other=err
  [[ $stream == err ]] && other=out
  [[ ! -s "$scratch/$other" ]] || fail "$what: unexpected std$other: $(cat "$scratch/$other")"
  first=$(head -n 1 "$scratch/$stream")
  # shellcheck disable=SC2053  # the expected line is a pattern
  [[ "$first" == $expected_line ]] || fail "$what: first line \"$first\", expected \"$expected_line\""
  [[ -z "$(ls -A "$scratch/here")" ]] || fail "$what: left $(ls -A "$scratch/here") in its folder"
done
echo "--help, --version and unknown options without a display: ok"
