#!/usr/bin/env bash
# The launcher's main job on the host build: a sample installation medium, a
# scratch machine with an earlier copy of the product installed, one run of
# Setup.exe from the medium, and what it did, told from the host's journal.
#
#   tools/demo.sh build/host/bin/Setup.exe
#
# The language follows the locale as Windows' user locale would
# (LANG=ja_JP.UTF-8 takes the Japanese road). Set DEMO_KEEP=1 to keep the
# medium and the machine afterwards.
set -euo pipefail
setup=$(realpath "$1")
hostwin_reg=$(dirname "$setup")/hostwin-reg
stand_in_program=$(realpath "$(dirname "$0")/medium/stand_in.py")
product='SOLVENTRA 2'

work=$(mktemp -d)
if [[ -z ${DEMO_KEEP:-} ]]; then trap 'rm -rf "$work"' EXIT; fi
medium=$work/medium
machine=$work/machine
journal=$work/journal.jsonl
records=$work/stand-ins.jsonl # what the stand-in programs record when started
mkdir -p "$medium" "$machine"

# A stand-in program (the medium tools' own, tools/medium/stand_in.py) at a
# path: it records how it was started in $records and does what its role says.
stand_in() { # stand_in PATH ROLE [ARGUMENT...]
  local path=$1 role=$2 arguments=""
  shift 2
  (($#)) && arguments=$(printf ' %q' "$@")
  mkdir -p "$(dirname "$path")"
  # shellcheck disable=SC2016 # "$0" is the script's own path, when it runs
  printf '#!/bin/sh\nexec python3 %q %q %q "$0"%s\n' "$stand_in_program" "$role" "$records" "$arguments" >"$path"
  chmod +x "$path"
}

# --- The installation medium ----------------------------------------------------
cp "$setup" "$medium/Setup.exe"
for language in English Japanese; do
  mkdir -p "$medium/Inst_$language"
  printf '[Startup]\r\nAppName=%s\r\n' "$product" >"$medium/Inst_$language/SETUP.INI"
  # A stand-in for the language's own setup program: it records that it ran.
  stand_in "$medium/Inst_$language/Setup.exe" setup
done

# --- The machine: an earlier copy and the per-user key it left ------------------------
export HOSTWIN_PREFIX=$machine
unset HOSTWIN_JOURNAL
product_key="HKLM\\SOFTWARE\\QUORVANTIX\\$product"
uninstall_entry="HKLM\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\$product"
uninstaller_dir="$machine/drive_c/Program Files/QUORVANTIX/SOLVENTRA"
# The earlier copy's uninstaller: removes its two keys.
printf '{"earlier copy": ["%s", "%s"]}\n' "${product_key//\\/\\\\}" "${uninstall_entry//\\/\\\\}" >"$work/copies.json"
stand_in "$uninstaller_dir/unins000.exe" uninstaller removes "$hostwin_reg" "$work/copies.json"
reg() { "$hostwin_reg" "$@" >/dev/null; }
reg add "$product_key" /v Version /d 1.0
reg add "$uninstall_entry" /v DisplayName /d "$product"
reg add "$uninstall_entry" /v UninstallString /d '"C:\Program Files\QUORVANTIX\SOLVENTRA\unins000.exe" /SILENT'
reg add 'HKCU\Software\QUORVANTIX\SOLVENTRA\Data' /ve /d 'cached settings'
reg add 'HKCU\Software\QUORVANTIX\SOLVENTRA\Data' /v LastRun /t REG_DWORD /d 20

echo "Sample medium:   $medium"
echo "                 Setup.exe, Inst_English\\ and Inst_Japanese\\ (SETUP.INI: AppName=$product)"
echo "Scratch machine: $machine"
echo "                 $product installed earlier, with its uninstaller and a per-user key"
echo "Running Setup.exe from the medium's directory (locale: ${LC_ALL:-${LC_CTYPE:-${LANG:-C}}})"
echo

# --- The run ------------------------------------------------------------------------------
export HOSTWIN_JOURNAL=$journal
status=0
(cd "$medium" && ./Setup.exe </dev/null) || status=$?
unset HOSTWIN_JOURNAL
# The launcher does not wait for the setup program; give the stand-in a moment.
for _ in $(seq 50); do
  grep -qs '"role":"setup"' "$records" && break
  sleep 0.1
done

# --- What happened ------------------------------------------------------------------------
python3 - "$journal" "$status" "$records" <<'EOF'
import json, os, sys

journal, status, records = sys.argv[1], int(sys.argv[2]), sys.argv[3]
hives = {"HKEY_LOCAL_MACHINE": "HKLM", "HKEY_CURRENT_USER": "HKCU"}
events = [json.loads(line) for line in open(journal, encoding="utf-8")]
launcher = "Setup.exe"
shown = []
print("What happened, from the journal:")
step = 0


def say(text):
    global step
    step += 1
    print(f"  {step}. {text}")


for event in events:
    kind, who = event["event"], event["program"]
    actor = "Setup.exe" if who == launcher else f"The uninstaller ({who})"
    if kind == "process_start" and event["api"] == "CreateProcessA":
        outcome = "started" if event["result"] else "could not be started"
        say(f"Setup.exe ran the earlier copy's uninstaller and waited for it ({outcome}):\n"
            f"       {event['command_line']}")
    elif kind == "process_start":
        result = event["result"]
        outcome = f"started (WinExec returned {result})" if result >= 32 else \
                  f"not started (WinExec returned {result})"
        say(f"Setup.exe started {event['command_line']} with show command {event['show']}"
            f" (SW_SHOWNORMAL): {outcome}")
    elif kind == "registry_delete_key":
        where = f"{hives.get(event['root'], event['root'])}\\{event['key']}"
        if event["result"] == 0:
            say(f"{actor} deleted the key {where}")
        elif who == launcher:
            say(f"{actor} left the key {where} (error {event['result']})")
    elif kind == "registry_delete_value" and who == launcher and event["result"] == 0:
        say(f"{actor} deleted the default value of HKCU\\{event['key']}")
    elif kind == "message_box":
        say(f"{actor} showed a message box \"{event['caption']}\": {event['text']!r}")
    elif kind == "window_show" and who == launcher:
        shown.append(event["class"])
    elif kind == "exit" and who == launcher:
        windows = f"showing the windows {', '.join(shown)}" if shown else "without showing a window"
        say(f"Setup.exe ended with exit status {event['status']}, {windows}")

setups = []
if os.path.exists(records):
    setups = [r for r in map(json.loads, open(records, encoding="utf-8")) if r["role"] == "setup"]
for setup in setups:
    print(f"The stand-in reports: {setup['command_line']} ran with show command "
          f"{setup['show'] or 'none'} in {setup['directory']}")
if not setups:
    print("No setup program ran.")
print(f"Exit status seen by the shell: {status}")
EOF
