#!/usr/bin/env bash
# The medium tools (./dev rehearse, ./dev check-medium) on media built by the
# tests, and the host build's configure step with the MinGW tools out of
# reach, as on a fresh machine where ./dev demo must still work.
set -euo pipefail
cd "$(dirname "$0")/../.."
ROOT=$PWD

python3 tests/suites/medium/test_medium.py

# The commands themselves, with a medium named relative to where they are called.
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
mkdir "$scratch/empty medium"
status=0
output=$(cd "$scratch" && "$ROOT/dev" check-medium "empty medium") || status=$?
if [[ $status -ne 1 ]] || ! grep -qF "Inst_English: English folder missing" <<<"$output"; then
  printf 'medium: ./dev check-medium on an empty medium gave status %s:\n%s\n' "$status" "$output" >&2
  exit 1
fi
status=0
output=$(cd "$scratch" && "$ROOT/dev" rehearse "empty medium" --locale en) || status=$?
if [[ $status -ne 1 ]] || ! grep -qF "STOPPED: Inst_English\SETUP.INI not found" <<<"$output"; then
  printf 'medium: ./dev rehearse on an empty medium gave status %s:\n%s\n' "$status" "$output" >&2
  exit 1
fi
echo "medium: ./dev check-medium and ./dev rehearse take a medium relative to where they are called"

# find_program also searches the system directories, so hiding the MinGW
# tools from PATH is not enough: the system's program directories are
# ignored and the native tools named.
tool() { command -v "$1"; }
if ! cmake -S . -B "$scratch" -G Ninja -DSETUP_BUILD_TESTS=ON "-DCMAKE_IGNORE_PATH=/usr/bin;/bin;/usr/local/bin" \
  -DCMAKE_C_COMPILER="$(tool gcc)" -DCMAKE_CXX_COMPILER="$(tool g++)" -DCMAKE_MAKE_PROGRAM="$(tool ninja)" \
  -DCMAKE_AR="$(tool ar)" -DCMAKE_RANLIB="$(tool ranlib)" -DPython3_EXECUTABLE="$(tool python3)" \
  >"$scratch.log" 2>&1; then
  cat "$scratch.log" >&2
  rm -f "$scratch.log"
  echo "medium: the host build does not configure without the MinGW tools" >&2
  exit 1
fi
if grep -q 'MINGW64_WINDRES:FILEPATH=/' "$scratch/CMakeCache.txt"; then
  echo "medium: the MinGW tools were found although hidden; the check proves nothing" >&2
  exit 1
fi
rm -f "$scratch.log"
echo "medium: the host build configures without the MinGW tools"
