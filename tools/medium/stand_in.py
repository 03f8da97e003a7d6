#!/usr/bin/env python3
"""A stand-in for a Windows program that the rehearsal does not run: it
records that it was started (command line, current directory, show command)
and, for an uninstaller, does what the rehearsal was told.

  stand_in.py setup RECORDS PROGRAM
  stand_in.py uninstaller RECORDS PROGRAM MODE HOSTWIN_REG KEYS_JSON

MODE is removes (delete the installed copy's two keys, as a real uninstaller
does), leaves (end at once, keys kept) or fails (end with status 1, keys
kept). KEYS_JSON maps each registered uninstall command to the keys of its
copy; a command not in it removes the keys of every copy naming this program.
"""
import json
import os
import subprocess
import sys


def main(argv):
    role, records, program = argv[:3]
    command_line = os.environ.get("HOSTWIN_CMDLINE", "")
    record = {"role": role, "program": program, "command_line": command_line,
              "directory": os.getcwd(), "show": os.environ.get("HOSTWIN_SHOW")}
    status = 0
    if role == "uninstaller":
        mode, hostwin_reg, keys_file = argv[3:6]
        record["mode"] = mode
        status = 1 if mode == "fails" else 0
    record["status"] = status
    line = (json.dumps(record, ensure_ascii=False) + "\n").encode("utf-8")
    fd = os.open(records, os.O_WRONLY | os.O_APPEND | os.O_CREAT, 0o644)
    try:
        os.write(fd, line)
    finally:
        os.close(fd)
    if role == "uninstaller" and mode == "removes":
        with open(keys_file, encoding="utf-8") as file:
            copies = json.load(file)
        keys = copies.get(command_line) or [k for ks in copies.values() for k in ks]
        # The keys are named where regedit shows them, so hostwin-reg runs as
        # reg.exe does: a 64-bit program, whatever the launcher was.
        env = {k: v for k, v in os.environ.items() if k != "HOSTWIN_PROCESS"}
        for key in keys:
            subprocess.run([hostwin_reg, "delete", key], stdout=subprocess.DEVNULL,
                           stderr=subprocess.DEVNULL, env=env, check=False)
    return status


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
