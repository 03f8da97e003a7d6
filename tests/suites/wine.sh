#!/usr/bin/env bash
# The Windows program under Wine. Runs the win64 build (./dev build win64):
#   1. the platform conformance tests against the real functions, in an
#      English and a Japanese Wine prefix;
#   2. the launcher's roads end to end: Setup.exe on a medium built for each
#      case, with registry fixtures imported by regedit, stand-in setup and
#      uninstaller programs, and window_watch reporting (and answering) every
#      window the launcher shows; checked afterwards through `reg query`, the
#      stand-ins' markers, the watcher's report and the exit status;
#   3. screenshots of the boxes and the form (build/wine-suite/screenshots;
#      UPDATE_SCREENSHOTS=1 also copies them to docs/screenshots).
# Everything runs under its own Xvfb display (Wine makes no window without an
# X display, and the launcher always makes its hidden ones), every wine run
# has a time-out, and the prefixes' wineservers are ended on the way out.
set -euo pipefail
cd "$(dirname "$0")/../.."
ROOT=$PWD

if [[ -z ${WINE_SUITE_DISPLAY:-} ]]; then
  # A display of our own, with the screen the host build also assumes.
  exec timeout 900 xvfb-run -a -s "-screen 0 1024x768x24" \
    env WINE_SUITE_DISPLAY=1 bash "$0" "$@"
fi

WINE=/usr/lib/wine/wine64
WINESERVER=/usr/lib/wine/wineserver
BUILD=$ROOT/build/win64
WORK=$ROOT/build/wine-suite
PROGRAMS=$BUILD/wine
SHOTS=$WORK/screenshots

export WINEDEBUG=-all
# No Mono or Gecko installer dialogs and no desktop menu entries while the
# prefixes are made.
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"

for program in "$BUILD/bin/Setup.exe" "$PROGRAMS/wine_conformance.exe" "$PROGRAMS/window_watch.exe" \
  "$PROGRAMS/stand_in_setup.exe" "$PROGRAMS/stand_in_uninstaller.exe"; do
  [[ -f $program ]] || { echo "missing $program: run ./dev build win64 first" >&2; exit 1; }
done

rm -rf "$WORK"
mkdir -p "$WORK/logs" "$SHOTS"

PASSED=0
FAILED=0
CURRENT=""
fail() {
  echo "  FAIL [$CURRENT] $*" >&2
  FAILED=$((FAILED + 1))
}
check() { # check DESCRIPTION COMMAND...
  local what=$1
  shift
  if "$@"; then PASSED=$((PASSED + 1)); else fail "$what"; fi
}

# --- Prefixes --------------------------------------------------------------------------

# The Japanese locale for Wine, generated into the suite's own directory (no
# system change): Wine takes the user's locale and code page from LANG.
LOCALES=$WORK/locales
japanese_locale() {
  mkdir -p "$LOCALES"
  localedef -i ja_JP -f UTF-8 "$LOCALES/ja_JP.UTF-8" 2>/dev/null || [[ -d $LOCALES/ja_JP.UTF-8 ]]
}

# The environment of a language's prefix and locale (en or ja), as env(1)
# arguments in PREFIX_ENV.
prefix_env() {
  PREFIX_ENV=(-u LC_ALL -u LC_CTYPE -u LC_MESSAGES)
  if [[ $1 == ja ]]; then
    PREFIX_ENV+=(LANG=ja_JP.UTF-8 LOCPATH="$LOCALES" WINEPREFIX="$WORK/prefix-ja")
  else
    PREFIX_ENV+=(LANG=C.UTF-8 WINEPREFIX="$WORK/prefix-en")
  fi
}
# Runs a command with the prefix and locale of a language.
in_prefix() {
  prefix_env "$1"
  shift
  env "${PREFIX_ENV[@]}" "$@"
}
wine_in() { # wine_in LANGUAGE SECONDS PROGRAM ARGS...
  local language=$1 seconds=$2
  shift 2
  in_prefix "$language" timeout "$seconds" "$WINE" "$@"
}

stop_wineservers() {
  for language in en ja; do
    [[ -d $WORK/prefix-$language ]] && in_prefix "$language" timeout 20 "$WINESERVER" -k 2>/dev/null || true
  done
}
trap 'stop_wineservers; jobs -p | xargs -r kill 2>/dev/null || true' EXIT

# The Windows form of a POSIX path (Wine's drive Z: is the root).
winpath() { printf 'Z:%s' "${1//\//\\}"; }

# Imports a .reg text (lines of REGEDIT4 without its header, in the prefix's
# ANSI code page) into a prefix.
reg_import() { # reg_import LANGUAGE TEXT
  local file
  file=$(mktemp "$WORK/fixture.XXXXXX.reg")
  printf 'REGEDIT4\n\n%s\n' "$2" | sed 's/$/\r/' >"$file"
  wine_in "$1" 60 regedit /S "$(winpath "$file")"
  rm -f "$file"
}

make_prefix() {
  local language=$1
  mkdir -p "$WORK/prefix-$language"
  # A server that stays between the suite's wine runs (ended on the way out).
  in_prefix "$language" "$WINESERVER" -p 600
  wine_in "$language" 240 wineboot --init >/dev/null 2>&1
  # No window manager runs under Xvfb: windows are unmanaged, Wine draws their
  # frames itself and never waits for a manager to map or withdraw them.
  reg_import "$language" '[HKEY_CURRENT_USER\Software\Wine\X11 Driver]
"Managed"="N"
"Decorated"="N"'
}

echo "making the English and Japanese Wine prefixes"
japanese_locale
make_prefix en &
en_maker=$!
make_prefix ja &
ja_maker=$!
wait $en_maker
wait $ja_maker

# --- Conformance -------------------------------------------------------------------------

for language in en ja; do
  CURRENT="conformance $language"
  echo "conformance tests under Wine ($language)"
  if wine_in "$language" 300 "$PROGRAMS/wine_conformance.exe" --gtest_brief=1 \
    >"$WORK/logs/conformance-$language.log" 2>&1; then
    PASSED=$((PASSED + 1))
    grep -E '^\[  (PASSED|SKIPPED) ' "$WORK/logs/conformance-$language.log" | sed 's/^/  /'
  else
    tail -40 "$WORK/logs/conformance-$language.log" >&2
    fail "the conformance tests failed"
  fi
done

# --- A file hostwin-reg exports, imported by regedit -----------------------------------------

# The host's registry tool writes what regedit writes: Wine's regedit imports
# its export to the same values, and Wine's reg exports them to the same bytes.
CURRENT="hostwin-reg export"
echo "a hostwin-reg export imported by Wine's regedit"
HOSTWIN_REG=$ROOT/build/host/bin/hostwin-reg
if [[ ! -x $HOSTWIN_REG ]]; then
  fail "missing $HOSTWIN_REG: run ./dev build host first"
else
  export_key='HKEY_CURRENT_USER\Software\HostwinExport'
  host_reg() { HOSTWIN_PREFIX=$WORK/hostwin "$HOSTWIN_REG" "$@" >/dev/null; }
  host_reg add "$export_key" /ve /d 'the default'
  host_reg add "$export_key" /v Text /d 'C:\Program Files\x "y".exe'
  host_reg add "$export_key" /v Expand /t REG_EXPAND_SZ /d '%TEMP%\x'
  host_reg add "$export_key" /v Multi /t REG_MULTI_SZ /d 'a\0b c'
  host_reg add "$export_key" /v Number /t REG_DWORD /d 0x2a
  host_reg add "$export_key" /v Big /t REG_QWORD /d 0x100000001
  host_reg add "$export_key" /v Bytes /t REG_BINARY /d "$(printf '%02x' $(seq 1 60))"
  host_reg add "$export_key\Sub\Deeper" /v None /t REG_NONE /d 00ff
  host_reg export "$export_key" "$WORK/hostwin-export.reg" /y
  wine_in en 60 regedit /S "$(winpath "$WORK/hostwin-export.reg")"
  # Wine's reg shows no REG_QWORD data; the export below compares those too.
  HOSTWIN_PREFIX=$WORK/hostwin "$HOSTWIN_REG" query "$export_key" /s | grep -v REG_QWORD \
    >"$WORK/hostwin-query.txt"
  wine_in en 60 reg query "$export_key" /s | tr -d '\r' | grep -v REG_QWORD >"$WORK/wine-query.txt" || true
  check "Wine's reg query shows the values hostwin-reg shows" \
    diff "$WORK/hostwin-query.txt" "$WORK/wine-query.txt"
  wine_in en 60 reg export "$export_key" "$(winpath "$WORK/wine-export.reg")" >/dev/null || true
  check "Wine's reg export of the imported key is the same file" \
    cmp "$WORK/hostwin-export.reg" "$WORK/wine-export.reg"
fi

# --- The launcher's roads ---------------------------------------------------------------------

source "$ROOT/tests/suites/wine/scenarios.sh"

if [[ ${UPDATE_SCREENSHOTS:-} == 1 ]]; then
  mkdir -p "$ROOT/docs/screenshots"
  cp "$SHOTS"/*.png "$ROOT/docs/screenshots/"
  echo "screenshots copied to docs/screenshots"
fi

echo "wine suite: $PASSED passed, $FAILED failed"
((FAILED == 0))
