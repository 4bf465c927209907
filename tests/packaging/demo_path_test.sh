#!/usr/bin/env bash
# What scripts/run installs and builds before its demo opens: the packages
# of the run set and the two programs it starts, in a configuration without
# tests and benchmarks. A test library, test tool, browser or benchmark in
# the demo's path makes a first start wait many minutes longer; so does a
# target beyond the two programs, or a look for GoogleTest or Google
# Benchmark at configure time (which also fails on a computer with only the
# run set). The configure step is run for real into a scratch folder; the
# build is not (the demo's commands are checked, the programs' targets
# looked up in the build graph).
set -euo pipefail
root=$1
scratch=$2

fail() { echo "FAIL: $*" >&2; exit 1; }

plan=$("$root/scripts/run" --dry-run)
packages=$(sed -n 's/^packages: //p' <<<"$plan")
mapfile -t commands < <(sed -n 's/^command: //p' <<<"$plan")
[[ -n "$packages" ]] || fail "scripts/run --dry-run names no packages"
((${#commands[@]} == 2)) || fail "expected a configure and a build command, got: ${commands[*]}"

# Packages only the tests, benchmarks, fuzz targets or the package checks use.
test_only='^(libgtest-dev|libgmock-dev|googletest|libbenchmark.*|clang.*|libclang.*|llvm.*|xvfb|xauth|xdotool|imagemagick.*|libx11-dev|libxtst-dev|libxext-dev|python3.*|chromium.*|lintian|gdb|valgrind)$'
mapfile -t all_packages < <("$root/scripts/install-deps" --print all)
for package in $packages; do
  [[ ! "$package" =~ $test_only ]] || fail "the demo installs $package, which only the tests need"
  printf '%s\n' "${all_packages[@]}" | grep -qxF "$package" ||
    fail "$package of the demo is missing from the full set scripts/test installs"
done

read -r -a configure <<<"${commands[0]}"
read -r -a build <<<"${commands[1]}"
[[ "${configure[0]} ${configure[1]}" == "cmake -S" ]] || fail "not a configure command: ${commands[0]}"
[[ " ${configure[*]} " == *" -DQUIB_TESTS=OFF "* ]] || fail "the demo configures the tests: ${commands[0]}"
targets=()
for ((i = 0; i < ${#build[@]}; ++i)); do
  if [[ "${build[i]}" == --target ]]; then
    targets=("${build[@]:i+1}")
    break
  fi
done
[[ "${targets[*]}" == "quib_server quib_client" ]] ||
  fail "the demo builds \"${targets[*]}\" instead of just quib_server quib_client"
[[ "${build[*]}" == *"build/programs "* ]] || fail "the demo does not build in build/programs: ${commands[1]}"

# The same configuration, for real, in a scratch folder.
rm -rf "$scratch"
for ((i = 0; i < ${#configure[@]}; ++i)); do
  [[ "${configure[i]}" == -B ]] && configure[i + 1]="$scratch"
done
"${configure[@]}" >"$scratch.log" 2>&1 || { cat "$scratch.log" >&2; fail "the demo's configuration fails"; }
if grep -E '^(GTest|GTEST|gtest|GMOCK|benchmark|Qt6Test)[A-Za-z_]*(:|=)' "$scratch/CMakeCache.txt"; then
  fail "the demo's configuration looks for test or benchmark libraries"
fi
inputs=$(cd "$scratch" && ninja -t inputs "${targets[@]}")
if grep -E "^$root/(tests|testing|bench|fuzz)/" <<<"$inputs"; then
  fail "the demo's programs are built from test, benchmark or fuzz sources"
fi
grep -qx "$root/server/main.cpp" <<<"$inputs" || fail "the build graph lacks the server's sources"
rm -rf "$scratch" "$scratch.log"
echo "demo path: ok"
