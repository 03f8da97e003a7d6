"""A scratch host machine (HOSTWIN_PREFIX) and the host tools that work on it:
hostwin-reg on its registry (loaded from a fixture, asked for keys and
uninstall commands in its JSON form), hostwin-ini, which reads profile files
through the machine's profile functions in its code page, and hostwin-ask,
which finds the program a command line starts by the host's own lookup."""
import json
import os
import subprocess

import host_answers

from layout import UNINSTALL_PREFIX


class MachineError(Exception):
    """The machine cannot be loaded: one line for standard error."""


class Machine:
    """A scratch host machine and the hostwin-reg that works on it."""

    def __init__(self, directory, hostwin_reg):
        self.directory = directory
        self.hostwin_reg = hostwin_reg
        # Built beside hostwin-reg.
        self.hostwin_ini = os.path.join(os.path.dirname(hostwin_reg), "hostwin-ini")
        self.locale = {}
        os.makedirs(directory)

    def use_code_page(self, code_page):
        """A Japanese machine (locale 1041) for 932, else an English one (1033)."""
        self.locale = {"HOSTWIN_LCID": "1041" if code_page == 932 else "1033",
                       "HOSTWIN_ACP": str(code_page)}

    def environment(self, **extra):
        env = {k: v for k, v in os.environ.items() if not k.startswith("HOSTWIN_")}
        env["HOSTWIN_PREFIX"] = self.directory
        env.update(self.locale)
        env.update(extra)
        return env

    def reg(self, *args):
        return subprocess.run([self.hostwin_reg, *args], env=self.environment(),
                              capture_output=True, text=True, errors="replace",
                              stdin=subprocess.DEVNULL, check=False)

    def profile(self, path, section, key=None):
        """What GetPrivateProfileStringA gives for the file (a path of this
        system): the key's value, or the section's key names each ended by a
        zero byte. Bytes in the machine's code page (set locale first)."""
        done = subprocess.run([self.hostwin_ini, path, section, *([key] if key else [])],
                              env=self.environment(), capture_output=True,
                              stdin=subprocess.DEVNULL, check=False)
        if done.returncode != 0:
            raise MachineError(f"{path}: " + done.stderr.decode(errors="replace").strip())
        return done.stdout

    def import_fixture(self, fixture):
        done = self.reg("import", fixture)
        if done.returncode != 0:
            message = done.stderr.strip().splitlines()
            reason = message[-1].removeprefix("ERROR: ") if message else "not imported"
            raise MachineError(f"{fixture}: {reason}")

    def keys(self, key, below=False):
        """The key (HKLM\\... form, where regedit shows it), and with below
        every key below it, as hostwin-reg's JSON records: "key", "subkeys",
        "values" ({"name", "type", "data"}). None when the key is missing."""
        done = self.reg("query", key, "/json", *(["/s"] if below else []))
        if done.returncode != 0:
            return None
        return [json.loads(line) for line in done.stdout.splitlines() if line.strip()]

    def subkeys(self, key):
        """Names of the subkeys of key (HKLM\\... form); none when it is missing."""
        records = self.keys(key)
        return records[0]["subkeys"] if records else []

    def exists(self, key):
        """True when the key (HKLM\\... form, where regedit shows it) is there."""
        return self.keys(key) is not None

    def uninstall_commands(self, uninstall_key="HKLM\\" + UNINSTALL_PREFIX.rstrip("\\")):
        """(entry name, UninstallString) of every uninstall entry below the
        key (HKLM\\... form, where regedit shows it) whose command is text."""
        records = self.keys(uninstall_key, below=True) or []
        if not records:
            return []
        entries = {records[0]["key"].lower() + "\\" + name.lower(): name
                   for name in records[0]["subkeys"]}
        found = []
        for record in records[1:]:
            entry = entries.get(record["key"].lower())
            for value in record["values"] if entry else []:
                if value["name"].lower() == "uninstallstring" and \
                        value["type"] in ("REG_SZ", "REG_EXPAND_SZ"):
                    found.append((entry, value["data"]))
        return found

    def locate_program(self, command, program_folder, current_folder, **environment):
        """Where the host finds the program a command line starts, for a
        starter in program_folder whose current folder is current_folder (each
        a Windows path, or a POSIX one): hostwin-ask's answer, {"found", "windows", "posix",
        "arguments", "tried": [{"windows", "posix", "exe_appended", "arguments"}]}.
        environment overrides the machine's (another HOSTWIN_PREFIX, PATH)."""
        try:
            return host_answers.ask("program", "--program-folder", program_folder,
                                    "--current-folder", current_folder, command,
                                    env=self.environment(**environment))[0]
        except host_answers.HostAnswerError as error:
            raise MachineError(str(error)) from None
