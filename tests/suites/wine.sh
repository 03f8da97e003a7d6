#!/usr/bin/env bash
# The Windows programs under Wine, for each Windows build: win64 under Wine's
# 64-bit loader and win32 (the release artifact) under its 32-bit one, both on
# 64-bit Windows, so the win32 programs see the 32-bit registry view as they
# do on a user's machine. For each build (./dev build win64, ./dev build win32):
#   1. the platform conformance tests against the real functions, in an
#      English and a Japanese Wine prefix;
#   2. the build's registry view (where its regedit puts a key), and a
#      hostwin-reg export imported by Wine's regedit;
#   3. the launcher's roads end to end: Setup.exe on a medium built for each
#      case, with registry fixtures imported by regedit, stand-in setup and
#      uninstaller programs, and window_watch starting Setup.exe and reporting
#      (and answering) every window it makes and shows, and its exit code;
#      checked afterwards through `reg query`, the stand-ins' markers and the
#      watcher's report. The stand-ins, the watcher, regedit and reg are all
#      of the build's bitness;
#   4. screenshots of the boxes and the form (build/wine-suite/BUILD/screenshots;
#      UPDATE_SCREENSHOTS=1 also copies the release build's to docs/screenshots).
#
#   bash tests/suites/wine.sh [win64] [win32]     (no build named: both)
#
# Running a Windows program of either build by hand, as this suite does:
#   - the loaders: /usr/lib/wine/wine64 runs 64-bit programs, /usr/lib/wine/wine
#     32-bit ones (Debian's wine32:i386, which ./dev install adds);
#     /usr/lib/wine/wineserver serves both;
#   - a prefix: `WINEPREFIX=DIR /usr/lib/wine/wine64 wineboot --init` makes a
#     64-bit Windows in DIR, and both loaders run programs in it. There a
#     32-bit program's HKLM\SOFTWARE is the key HKLM\SOFTWARE\WOW6432Node, and
#     `/usr/lib/wine/wine regedit` (or reg) is the 32-bit tool, so what it
#     imports lands where a 32-bit installer's keys do; `wine64 regedit` is
#     the 64-bit one. The suite shares one English and one Japanese prefix
#     between the builds (build/wine-suite/prefix-{en,ja}).
#     `WINEARCH=win32 WINEPREFIX=DIR /usr/lib/wine/wine wineboot --init` makes a
#     32-bit Windows instead: 32-bit programs only, one registry view;
#   - set WINEDEBUG=-all and WINEDLLOVERRIDES as below to keep Wine quiet and
#     keep it from offering to install Mono and Gecko.
# Everything runs under its own Xvfb display (Wine makes no window without an
# X display, and the launcher always makes its hidden ones), every wine run
# has a time-out, and the prefixes' wineservers are ended on the way out.
set -euo pipefail
cd "$(dirname "$0")/../.."
ROOT=$PWD

if [[ -z ${WINE_SUITE_DISPLAY:-} ]]; then
  # A display of our own, with the screen the host build also assumes.
  exec timeout 1800 xvfb-run -a -s "-screen 0 1024x768x24" \
    env WINE_SUITE_DISPLAY=1 bash "$0" "$@"
fi

WINE64=/usr/lib/wine/wine64
WINESERVER=/usr/lib/wine/wineserver
SUITE=$ROOT/build/wine-suite
BUILDS=("$@")
((${#BUILDS[@]})) || BUILDS=(win64 win32)

# Chooses a build: its Wine loader (WINE), its programs (BUILD, PROGRAMS), its
# own directory for cases, logs and screenshots (WORK, SHOTS), and the keys
# its HKLM\SOFTWARE is and is not, as 64-bit Windows names them (VIEWS).
select_build() { # select_build win64|win32
  SUITE_BUILD=$1
  case $1 in
    win64) WINE=$WINE64 VIEWS=(SOFTWARE 'SOFTWARE\WOW6432Node') ;;
    win32) WINE=/usr/lib/wine/wine VIEWS=('SOFTWARE\WOW6432Node' SOFTWARE) ;;
    *) echo "unknown build '$1': win64 or win32" >&2; exit 2 ;;
  esac
  BUILD=$ROOT/build/$1
  PROGRAMS=$BUILD/wine
  WORK=$SUITE/$1
  SHOTS=$WORK/screenshots
}

export WINEDEBUG=-all
# No Mono or Gecko installer dialogs and no desktop menu entries while the
# prefixes are made.
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"

for build in "${BUILDS[@]}"; do
  select_build "$build"
  [[ -x $WINE ]] || { echo "missing $WINE: run ./dev install first" >&2; exit 1; }
  for program in "$BUILD/bin/Setup.exe" "$PROGRAMS/wine_conformance.exe" "$PROGRAMS/window_watch.exe" \
    "$PROGRAMS/window_watch_hook.dll" "$PROGRAMS/stand_in_setup.exe" "$PROGRAMS/stand_in_uninstaller.exe"; do
    [[ -f $program ]] || { echo "missing $program: run ./dev build $build first" >&2; exit 1; }
  done
done

# A build whose Wine loader this machine cannot run (a kernel without 32-bit
# emulation refuses the 32-bit one, however Wine is installed) is not run:
# said here and in the summary.
NOT_RUN=()
runnable=()
for build in "${BUILDS[@]}"; do
  select_build "$build"
  refusal=$(python3 -c 'import sys; sys.path.insert(0, sys.argv[1]); from wine_road import loader_refusal
print(loader_refusal(int(sys.argv[2])) or "")' "$ROOT/tools/medium" "${build#win}")
  if [[ -n $refusal ]]; then
    echo "the $build build is not run under Wine: $refusal" >&2
    NOT_RUN+=("$build")
  else
    runnable+=("$build")
  fi
done
BUILDS=("${runnable[@]}")

rm -rf "$SUITE"
mkdir -p "$SUITE"
# The prefixes are made by the 64-bit loader: a 64-bit Windows.
WINE=$WINE64 WORK=$SUITE SUITE_BUILD=""

PASSED=0
FAILED=0
CURRENT=""
fail() {
  echo "  FAIL [${SUITE_BUILD:+$SUITE_BUILD }$CURRENT] $*" >&2
  FAILED=$((FAILED + 1))
}
check() { # check DESCRIPTION COMMAND...
  local what=$1
  shift
  if "$@"; then PASSED=$((PASSED + 1)); else fail "$what"; fi
}
not() { ! "$@"; }

# --- Prefixes --------------------------------------------------------------------------

# The Japanese locale for Wine, generated into the suite's own directory (no
# system change): Wine takes the user's locale and code page from LANG.
LOCALES=$SUITE/locales
japanese_locale() {
  mkdir -p "$LOCALES"
  localedef -i ja_JP -f UTF-8 "$LOCALES/ja_JP.UTF-8" 2>/dev/null || [[ -d $LOCALES/ja_JP.UTF-8 ]]
}

# The environment of a language's prefix and locale (en or ja), as env(1)
# arguments in PREFIX_ENV.
prefix_env() {
  PREFIX_ENV=(-u LC_ALL -u LC_CTYPE -u LC_MESSAGES)
  if [[ $1 == ja ]]; then
    PREFIX_ENV+=(LANG=ja_JP.UTF-8 LOCPATH="$LOCALES" WINEPREFIX="$SUITE/prefix-ja")
  else
    PREFIX_ENV+=(LANG=C.UTF-8 WINEPREFIX="$SUITE/prefix-en")
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
    if [[ -d $SUITE/prefix-$language ]]; then
      in_prefix "$language" timeout 20 "$WINESERVER" -k 2>/dev/null || true
    fi
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
  mkdir -p "$SUITE/prefix-$language"
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

# Everything below, for the selected build.
run_build() {
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

  # --- The build's registry view ---------------------------------------------------------------

  # The build's regedit writes, and its reg reads, the view the build's programs
  # see: on 64-bit Windows a 32-bit program's HKLM\SOFTWARE is WOW6432Node.
  CURRENT="registry view"
  echo "regedit and reg of the build's bitness work in its registry view"
  local hklm='HKEY_LOCAL_MACHINE' probe='QUORVANTIX\ViewProbe'
  has_key() { in_prefix en timeout 60 "$1" reg query "$2" >/dev/null 2>&1; } # has_key LOADER KEY
  reg_import en "[$hklm\\SOFTWARE\\$probe]"
  check "reg sees the key regedit wrote" has_key "$WINE" "$hklm\\SOFTWARE\\$probe"
  check "64-bit Windows has it in $hklm\\${VIEWS[0]}" has_key "$WINE64" "$hklm\\${VIEWS[0]}\\$probe"
  check "and not in $hklm\\${VIEWS[1]}" not has_key "$WINE64" "$hklm\\${VIEWS[1]}\\$probe"
  reg_import en "[-$hklm\\SOFTWARE\\QUORVANTIX]"

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
    # The prefixes are shared between the builds: the other build's import goes first.
    reg_import en "[-$export_key]"
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

  # shellcheck source=tests/suites/wine/scenarios.sh
  source "$ROOT/tests/suites/wine/scenarios.sh"
}

for build in "${BUILDS[@]}"; do
  select_build "$build"
  mkdir -p "$WORK/logs" "$SHOTS"
  echo "== the $build build under $WINE"
  build_started=$SECONDS passed_before=$PASSED failed_before=$FAILED
  run_build
  echo "$build: $((PASSED - passed_before)) passed, $((FAILED - failed_before)) failed in $((SECONDS - build_started)) s"
done

if [[ ${UPDATE_SCREENSHOTS:-} == 1 ]]; then
  mkdir -p "$ROOT/docs/screenshots"
  # The program that ships, where it ran.
  shot_dir=$SUITE/win32/screenshots
  [[ -d $shot_dir ]] || shot_dir=$SUITE/win64/screenshots
  cp "$shot_dir"/*.png "$ROOT/docs/screenshots/"
  echo "screenshots of $(basename "$(dirname "$shot_dir")") copied to docs/screenshots"
fi

echo "wine suite: $PASSED passed, $FAILED failed${NOT_RUN[*]:+; not run on this machine: ${NOT_RUN[*]}}"
((FAILED == 0))
