#!/usr/bin/env python3
"""A stand-in for a Windows program that the rehearsal does not run: it
records that it was started (command line, current directory, show command)
and, for an uninstaller, does what the rehearsal was told.

  stand_in.py setup RECORDS PROGRAM
  stand_in.py uninstaller RECORDS PROGRAM MODE HOSTWIN_REG KEYS_JSON
  stand_in.py second-process RECORDS PROGRAM SECONDS HOSTWIN_REG KEY...

MODE is removes (delete the installed copy's two keys, as a real uninstaller
does), leaves (end at once, keys kept), fails (end with status 1, keys kept)
or hands-off (start a second process and end at once: the second process,
left behind, deletes the keys some seconds later, as uninstallers that hand
their work to a copy of themselves do). KEYS_JSON maps each registered
uninstall command to the keys of its copy; a command not in it removes the
keys of every copy naming this program. The second process records when it
is done, so that the rehearsal can wait for it.
"""
import json
import os
import subprocess
import sys
import time

# How long the second process of a hands-off uninstaller waits before it
# removes the copy: long after the launcher's re-check.
HANDS_OFF_SECONDS = 3


def append_record(records, record):
    # One compact line each: the host tests read the fields as the journal's.
    line = (json.dumps(record, ensure_ascii=False, separators=(",", ":")) + "\n").encode("utf-8")
    fd = os.open(records, os.O_WRONLY | os.O_APPEND | os.O_CREAT, 0o644)
    try:
        os.write(fd, line)
    finally:
        os.close(fd)


def delete_keys(hostwin_reg, keys):
    # The keys are named where regedit shows them, so hostwin-reg runs as
    # reg.exe does: a 64-bit program, whatever the launcher was.
    env = {k: v for k, v in os.environ.items() if k != "HOSTWIN_PROCESS"}
    for key in keys:
        subprocess.run([hostwin_reg, "delete", key], stdout=subprocess.DEVNULL,
                       stderr=subprocess.DEVNULL, env=env, check=False)


def copy_keys(keys_file, command_line):
    with open(keys_file, encoding="utf-8") as file:
        copies = json.load(file)
    return copies.get(command_line) or [k for ks in copies.values() for k in ks]


def second_process(records, program, seconds, hostwin_reg, keys):
    """The process a hands-off uninstaller leaves behind."""
    time.sleep(float(seconds))
    delete_keys(hostwin_reg, keys)
    append_record(records, {"role": "second process", "program": program, "pid": os.getpid(),
                            "seconds": float(seconds), "deleted": keys})
    return 0


def main(argv):
    role, records, program = argv[:3]
    if role == "second-process":
        return second_process(records, program, argv[3], argv[4], argv[5:])
    command_line = os.environ.get("HOSTWIN_CMDLINE", "")
    record = {"role": role, "program": program, "command_line": command_line,
              "directory": os.getcwd(), "show": os.environ.get("HOSTWIN_SHOW")}
    status = 0
    if role == "uninstaller":
        mode, hostwin_reg, keys_file = argv[3:6]
        record["mode"] = mode
        status = 1 if mode == "fails" else 0
        if mode == "hands-off":
            # Its own session: the launcher's end does not end it.
            second = subprocess.Popen(
                [sys.executable, os.path.abspath(__file__), "second-process", records, program,
                 str(HANDS_OFF_SECONDS), hostwin_reg, *copy_keys(keys_file, command_line)],
                stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL,
                start_new_session=True)
            record["second_pid"] = second.pid
    record["status"] = status
    append_record(records, record)
    if role == "uninstaller" and mode == "removes":
        delete_keys(hostwin_reg, copy_keys(keys_file, command_line))
    return status


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
