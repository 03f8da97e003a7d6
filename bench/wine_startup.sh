#!/usr/bin/env bash
# The start-up cost of the launcher under Wine, against the least windowed
# win64 program (bench/wine/baseline_window.cpp: registers a class, creates a
# hidden window, measures "0", exits). Both are started the same way, by
# wine64 from the shell, in one English prefix with its server kept running;
# the launcher takes its normal road (no earlier copy, its setup program a
# stand-in that only leaves a marker). Prints each program's median wall time
# over RUNS runs (default 15, alternating) and their ratio.
#   bench/wine_startup.sh [RUNS]      needs ./dev build win64
set -euo pipefail
cd "$(dirname "$0")/.."
ROOT=$PWD
RUNS=${1:-15}

if [[ -z ${WINE_BENCH_DISPLAY:-} ]]; then
  exec timeout 1200 xvfb-run -a -s "-screen 0 1024x768x24" env WINE_BENCH_DISPLAY=1 bash "$0" "$@"
fi

WINE=/usr/lib/wine/wine64
BUILD=$ROOT/build/win64
WORK=$ROOT/build/wine-bench
export WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
export WINEPREFIX=$WORK/prefix LANG=C.UTF-8
unset LC_ALL LC_CTYPE LC_MESSAGES

rm -rf "$WORK"
mkdir -p "$WINEPREFIX" "$WORK/medium/Inst_English"
trap 'timeout 20 /usr/lib/wine/wineserver -k 2>/dev/null || true' EXIT
/usr/lib/wine/wineserver -p 600
timeout 240 "$WINE" wineboot --init >/dev/null 2>&1
printf 'REGEDIT4\r\n\r\n[HKEY_CURRENT_USER\\Software\\Wine\\X11 Driver]\r\n"Managed"="N"\r\n"Decorated"="N"\r\n' >"$WORK/x11.reg"
timeout 60 "$WINE" regedit /S 'Z:'"${WORK//\//\\}"'\x11.reg'

cp "$BUILD/bin/Setup.exe" "$WORK/medium/"
cp "$BUILD/wine/stand_in_setup.exe" "$WORK/medium/Inst_English/Setup.exe"
printf '[Startup]\r\nAppName=SOLVENTRA\r\n' >"$WORK/medium/Inst_English/SETUP.INI"
cp "$BUILD/wine/baseline_window.exe" "$WORK/"

# Milliseconds of one run of a program, started from the medium.
run_ms() {
  local start end
  start=$(date +%s%N)
  (cd "$WORK/medium" && timeout 60 "$WINE" "$1" >/dev/null 2>&1)
  end=$(date +%s%N)
  echo $(((end - start) / 1000000))
}
median() { sort -n | awk '{a[NR]=$1} END {print (NR % 2) ? a[(NR+1)/2] : (a[NR/2] + a[NR/2+1]) / 2}'; }

marker=$WORK/medium/Inst_English/setup.ran
# One unmeasured run of each warms the prefix and the file cache.
run_ms "$WORK/baseline_window.exe" >/dev/null
run_ms "$WORK/medium/Setup.exe" >/dev/null
: >"$WORK/baseline.ms"
: >"$WORK/launcher.ms"
for ((i = 0; i < RUNS; i++)); do
  run_ms "$WORK/baseline_window.exe" >>"$WORK/baseline.ms"
  before=$(grep -c command= "$marker" || true)
  run_ms "$WORK/medium/Setup.exe" >>"$WORK/launcher.ms"
  # The stand-in setup runs on after the launcher; let it finish first.
  for ((t = 0; t < 100; t++)); do
    (($(grep -c command= "$marker" || true) > before)) && break
    sleep 0.05
  done
done
baseline=$(median <"$WORK/baseline.ms")
launcher=$(median <"$WORK/launcher.ms")
echo "runs: $RUNS each"
echo "baseline_window.exe median: $baseline ms ($(tr '\n' ' ' <"$WORK/baseline.ms"))"
echo "Setup.exe (normal road) median: $launcher ms ($(tr '\n' ' ' <"$WORK/launcher.ms"))"
awk -v l="$launcher" -v b="$baseline" 'BEGIN {printf "ratio of medians: %.2f\n", l / b}'
