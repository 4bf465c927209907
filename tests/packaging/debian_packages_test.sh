#!/usr/bin/env bash
# Builds the Debian packages quib-server and quib-client from this build
# tree, as scripts/package does, and holds them to lintian's errors and
# warnings (copyright, changelog, maintainer, manual pages, descriptions,
# ...). Also: every command in /usr/bin has its manual page, and both
# packages depend on the package that holds Qt's X11 platform plugin, without
# which the windows cannot open.
set -euo pipefail
build=$1
scratch=$2

fail() { echo "FAIL: $*" >&2; exit 1; }

rm -rf "$scratch"
mkdir -p "$scratch"
cpack --config "$build/CPackConfig.cmake" -B "$scratch" >"$scratch/cpack.log" 2>&1 ||
  { cat "$scratch/cpack.log" >&2; fail "cpack failed"; }

plugin=$(find /usr/lib -path '*/qt6/plugins/platforms/libqxcb.so' -print -quit)
[[ -n "$plugin" ]] || fail "Qt's X11 platform plugin is not installed here"
plugin_package=$(dpkg-query -S "$plugin" | cut -d: -f1)

for package in quib-server quib-client; do
  debs=("$scratch/${package}_"*.deb)
  deb=${debs[0]}
  [[ -f "$deb" ]] || fail "no $package package in $scratch"

  depends=$(dpkg-deb -f "$deb" Depends)
  [[ ", $depends," =~ ,\ $plugin_package[\ ,] ]] ||
    fail "$package does not depend on $plugin_package (X11 platform plugin): $depends"

  files=$(dpkg-deb -c "$deb" | awk '{ print $6 }')
  for command in $(grep -E '^\./usr/bin/.' <<<"$files" | sed 's|.*/||'); do
    grep -qx "./usr/share/man/man1/$command.1.gz" <<<"$files" ||
      fail "$package: /usr/bin/$command has no manual page"
  done

  # lintian warns that it runs as root, on stderr; its findings go to stdout.
  status=0
  lintian --fail-on error,warning "$deb" >"$scratch/$package.lintian" 2>"$scratch/$package.err" ||
    status=$?
  if ((status != 0)) || grep -qE '^[EW]: ' "$scratch/$package.lintian"; then
    cat "$scratch/$package.lintian" "$scratch/$package.err" >&2
    fail "lintian finds errors or warnings in $package (exit status $status)"
  fi
done
rm -rf "$scratch"
echo "Debian packages: lintian-clean"
