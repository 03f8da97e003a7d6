"""A scratch host machine (HOSTWIN_PREFIX) and the host tools that work on it:
hostwin-reg on its registry (loaded from a fixture, asked for keys and
uninstall commands) and hostwin-ini, which reads profile files through the
machine's profile functions in its code page."""
import os
import subprocess

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

    def subkeys(self, key):
        """Names of the subkeys of key (HKLM\\... form); none when it is missing."""
        done = self.reg("query", key)
        full = key.replace("HKLM\\", "HKEY_LOCAL_MACHINE\\", 1).lower() + "\\"
        return [line[len(full):] for line in done.stdout.splitlines()
                if line.lower().startswith(full)]

    def exists(self, key):
        """True when the key (HKLM\\... form, where regedit shows it) is there."""
        return self.reg("query", key).returncode == 0

    def uninstall_commands(self, uninstall_key="HKLM\\" + UNINSTALL_PREFIX.rstrip("\\")):
        """(entry name, UninstallString) of every uninstall entry below the
        key (HKLM\\... form, where regedit shows it)."""
        done = self.reg("query", uninstall_key, "/s")
        prefix = uninstall_key.replace("HKLM\\", "HKEY_LOCAL_MACHINE\\", 1).lower() + "\\"
        entry, found = None, []
        for line in done.stdout.splitlines():
            if line.lower().startswith(prefix):
                entry = line[len(prefix):]
            elif entry and line.startswith("    "):
                parts = line[4:].split("    ", 2)
                if len(parts) == 3 and parts[0].lower() == "uninstallstring" \
                        and parts[1] in ("REG_SZ", "REG_EXPAND_SZ"):
                    found.append((entry, parts[2]))
        return found
