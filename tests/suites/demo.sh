#!/usr/bin/env bash
# The README's demo on both roads: the English and the Japanese one each run
# the uninstaller, remove the per-user key, start their own setup program
# with show command 1 and end with status 0 without a window.
set -euo pipefail
cd "$(dirname "$0")/../.."

check() {
  local language=$1 output=$2
  local expected=(
    "ran the earlier copy's uninstaller and waited for it (started)"
    "deleted the key HKLM\\SOFTWARE\\QUORVANTIX\\SOLVENTRA 2"
    "Setup.exe deleted the key HKCU\\Software\\QUORVANTIX\\SOLVENTRA\\Data"
    "Setup.exe started Inst_$language\\Setup.exe with show command 1"
    "ended with exit status 0, without showing a window"
    "The stand-in reports: Inst_$language\\Setup.exe ran with show command 1"
  )
  for line in "${expected[@]}"; do
    if ! grep -qF -- "$line" <<<"$output"; then
      printf 'demo (%s): missing "%s" in:\n%s\n' "$language" "$line" "$output" >&2
      exit 1
    fi
  done
  echo "demo ($language road): as expected"
}

check English "$(LC_ALL="" LC_CTYPE="" LANG=C.UTF-8 ./dev demo)"
check Japanese "$(LC_ALL="" LC_CTYPE="" LANG=ja_JP.UTF-8 ./dev demo)"
