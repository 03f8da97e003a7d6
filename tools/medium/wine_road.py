"""One road of the rehearsal under Wine: the medium's own Setup.exe (the
win32 build when the medium's is no Windows program) on a scratch Wine
prefix loaded from the --registry file by the regedit of the user's Windows,
with the Wine suite's Windows stand-ins for the setup programs and the
uninstallers and its window_watch reporting and answering every window.

What the launcher did is told from what Wine shows: the prefix's registry
before and after the run, asked in the launcher's view with Wine's reg; the
stand-ins' markers; the watcher's report and the exit status. It is put in
the host journal's events, so that both rehearsals tell a run in the same
words and with the same verdict. The launcher's reading of SETUP.INI is not
visible from outside: it is told from the host's profile functions."""
import os
import re
import shutil
import subprocess
import time

import config_check
import hands_off
from layout import UNINSTALL_PREFIX
from medium_files import find_entry, is_windows_program
from road import SETUP_WAIT_SECONDS, CannotRehearse, Road, is_below, windows_path, write_program

WINE = {32: "/usr/lib/wine/wine", 64: "/usr/lib/wine/wine64"}
WINESERVER = "/usr/lib/wine/wineserver"


def loader_refusal(bits):
    """Why this machine cannot run the Wine loader of that bitness, or None
    when it can. A kernel without 32-bit emulation (booted with
    ia32_emulation=off, or a virtual machine that offers no 32-bit mode)
    refuses the 32-bit loader with ENOEXEC however Wine is installed."""
    try:
        subprocess.run([WINE[bits], "--version"], capture_output=True, check=False, timeout=60)
    except FileNotFoundError:
        return f"{WINE[bits]}: missing (./dev install)"
    except OSError as error:
        return (f"{WINE[bits]}: this machine cannot run it ({error.strerror}): its kernel runs no "
                f"{bits}-bit programs, so no {bits}-bit Windows program runs under Wine here")
    return None
KEY_READ = 0x20019
ERROR_FILE_NOT_FOUND, ERROR_PATH_NOT_FOUND, ERROR_ACCESS_DENIED, ERROR_BAD_EXE_FORMAT = 2, 3, 5, 193
# Wine takes the system's locale and ANSI code page from LC_CTYPE and the
# user's locale (GetUserDefaultLCID, GetThreadLocale) from LC_MESSAGES; a "C"
# LC_MESSAGES follows LC_CTYPE, so the English user's locale is a named one.
WINE_LOCALES = {1041: "ja_JP.UTF-8", 1033: "en_US.UTF-8"}
CODE_PAGE_LOCALES = {932: "ja_JP.UTF-8", 1252: "C.UTF-8"}
BOX, FORM = "#32770", "TFormMain"
RUN_SECONDS = 90
# A hands-off uninstaller's second process removes the copy this long after
# it was started: under Wine each program takes about a second to start, and
# the rehearsal's own look at the registry after the launcher's run must come
# before the removal, as the launcher's re-check does on Windows.
WINE_HANDS_OFF_SECONDS = 10


def wine_locales_of(roads):
    """The POSIX locales (beyond the built-in C.UTF-8) that the roads'
    machines, (locale identifier, code page) each, need made for Wine."""
    names = {WINE_LOCALES.get(lcid) for lcid, _ in roads} | \
        {CODE_PAGE_LOCALES.get(page) for _, page in roads}
    return sorted(name for name in names if name and name != "C.UTF-8")


def hex_text(data, code_page):
    return bytes.fromhex(data).decode(f"cp{code_page}", errors="replace")


class WineRoad(Road):
    """A Road whose launcher is a Windows program run by Wine."""

    def __init__(self, args, layout, lcid, scratch):
        super().__init__(args, layout, lcid, scratch)
        if lcid not in WINE_LOCALES:
            raise CannotRehearse(f"--wine: locale {lcid}: only ja (1041) and en (1033) are set up")
        self.prefix = os.path.join(self.directory, "prefix")
        self.wine_bits = self.target.windows
        self.logs = os.path.join(self.directory, "logs")
        os.makedirs(self.logs)

    def prefix_directory(self):
        return os.path.join(self.directory, "prefix")

    def posix_of(self, windows):
        """The POSIX path of a Windows path of the copy's place or of drive Z:."""
        root = self.place.windows.rstrip("\\")
        if windows and (windows.lower() + "\\").startswith(root.lower() + "\\"):
            rest = [part for part in windows[len(root):].split("\\") if part]
            return os.path.join(self.copy, *rest)
        return posix_path(windows)

    # --- Wine ---------------------------------------------------------------------------
    def wine_env(self):
        env = {k: v for k, v in os.environ.items()
               if not k.startswith(("HOSTWIN_", "LC_")) and k not in ("LANG", "WINEARCH")}
        env.update(WINEPREFIX=self.prefix, WINEARCH=f"win{self.wine_bits}", WINEDEBUG="-all",
                   WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d",
                   LANG=CODE_PAGE_LOCALES[self.code_page], LC_MESSAGES=WINE_LOCALES[self.lcid],
                   LOCPATH=self.args.wine_locales)
        return env

    def wine(self, bits, *command, seconds=120, output=True):
        """Runs a program of the given bitness in the prefix. Without output,
        nothing is read from it: what wineboot starts (the server, services)
        stays and would keep a pipe open."""
        pipe = subprocess.PIPE if output else subprocess.DEVNULL
        return subprocess.run(["timeout", str(seconds), WINE[bits], *command], env=self.wine_env(),
                              stdin=subprocess.DEVNULL, stdout=pipe, stderr=pipe, check=False)

    def make_prefix(self):
        os.makedirs(self.prefix)
        subprocess.run([WINESERVER, "-p", "600"], env=self.wine_env(), stdin=subprocess.DEVNULL,
                       stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, check=False)
        if self.wine(self.wine_bits, "wineboot", "--init", seconds=240, output=False).returncode:
            raise CannotRehearse(f"Wine could not make a {self.wine_bits}-bit prefix")
        # No window manager under Xvfb: Wine draws the frames itself.
        settings = os.path.join(self.directory, "x11.reg")
        with open(settings, "w", encoding="ascii", newline="\r\n") as file:
            file.write('REGEDIT4\n\n[HKEY_CURRENT_USER\\Software\\Wine\\X11 Driver]\n'
                       '"Managed"="N"\n"Decorated"="N"\n\n'
                       # Wine's relay trace of the launcher's boxes tells their flags (the
                       # icon), and that of WinExec whether the setup program started.
                       '[HKEY_CURRENT_USER\\Software\\Wine\\Debug]\n'
                       '"RelayInclude"="user32.MessageBoxA;kernel32.WinExec"\n')
        self.regedit(settings)

    def regedit(self, path):
        """Imports a .reg file with the regedit of the user's Windows (64-bit
        regedit imports a 64-bit Windows' export as it was exported)."""
        done = self.wine(self.wine_bits, "regedit", "/S", windows_path(path), output=False)
        if done.returncode != 0:
            raise CannotRehearse(f"{path}: Wine's regedit did not import it")

    def stop(self):
        subprocess.run(["timeout", "20", WINESERVER, "-k"], env=self.wine_env(),
                       stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, check=False)

    def key_state(self, key, value=None):
        """(exists, type, data) of HKLM\\key (or HKCU\\key) as the launcher sees
        it, asked with Wine's reg in the launcher's view."""
        view = [] if self.target.view is None else [f"/reg:{self.target.view}"]
        done = self.wine(self.wine_bits, "reg", "query", key, *(["/v", value] if value else []),
                         *view, seconds=60)
        if done.returncode != 0:
            return False, None, None
        for line in done.stdout.decode(f"cp{self.code_page}", errors="replace").splitlines():
            parts = line.strip("\r").split("    ")
            if value and len(parts) >= 4 and parts[1].lower() == value.lower():
                return True, parts[2], parts[3] if len(parts) > 3 else ""
        return True, None, None

    # --- the scratch medium ------------------------------------------------------------
    def program(self, name, bits):
        return os.path.join(self.args.wine_programs[bits], name)

    def place_setup_program(self, source, target):
        if is_windows_program(source):
            shutil.copyfile(self.program("stand_in_setup.exe", self.wine_bits), target)
        else:
            write_program(target, "not a Windows program (rehearsal placeholder)\n")

    def place_uninstallers(self):
        """The Wine suite's stand-in uninstaller, of the bitness of the view its
        entry is in (a 32-bit installer's uninstaller removes its keys in the
        32-bit view), at each program the launcher's view names on drive C:.
        Beside it, uninstall.do says what to do: delete the copy's keys and
        end with a status (or leave them)."""
        drive_c = os.path.join(self.prefix, "drive_c")
        for entry, command in self.machine.uninstall_commands(
                self.stored_key(UNINSTALL_PREFIX.rstrip("\\"))):
            posix = self.uninstaller_place(entry, command, drive_c)
            if not posix:
                continue
            os.makedirs(os.path.dirname(posix), exist_ok=True)
            shutil.copyfile(self.program("stand_in_uninstaller.exe", self.target.view or 32), posix)
            lines = [f"exit {1 if self.args.uninstaller == 'fails' else 0}"]
            if self.args.uninstaller in ("removes", "hands-off"):
                lines += [f"delete {self.layout.product_key(entry)[5:]}",
                          f"delete {self.layout.uninstall_entry(entry)[5:]}"]
            if self.args.uninstaller == "hands-off":
                lines.append(f"hand-off {WINE_HANDS_OFF_SECONDS * 1000}")
            with open(os.path.join(os.path.dirname(posix), "uninstall.do"), "a",
                      encoding="utf-8", newline="\r\n") as file:
                file.write("\n".join(lines) + "\n")

    # --- the run ----------------------------------------------------------------------
    def run(self):
        self.machine.locale = {"HOSTWIN_LCID": str(self.lcid),
                               "HOSTWIN_ACP": str(self.code_page)}
        self.events, self.records, self.shots, self.second_processes = [], [], [], []
        self.status = 0
        if not self.target.runs:
            self.copy_medium()
            return
        # The prefix first: the copy may be in its drive C:.
        self.make_prefix()
        self.copy_medium()
        # The copy's drive in the prefix, and on the host machine that reads SETUP.INI.
        self.link_place(self.prefix)
        self.link_place(self.machine.directory)
        try:
            if self.args.registry:
                self.machine.import_fixture(self.args.registry)
                self.regedit(self.args.registry)
            self.place_uninstallers()
            self.observe()
        finally:
            self.stop()

    def observe(self):
        name = self.read_config()
        keys = None
        if name is not None and name != b"NoName":
            keys = self.copy_keys(name)
        user_before = self.key_state("HKCU\\" + self.layout.user_data_key)[0]
        watch = self.watch_run()
        uninstall_ran = self.marker("uninstall", self.uninstaller_dirs())
        after = self.copy_keys(name) if keys and uninstall_ran else None
        user_after = self.key_state("HKCU\\" + self.layout.user_data_key)[0]
        if uninstall_ran and self.args.uninstaller == "hands-off":
            self.second_processes = self.wait_for_second_process(name)
        self.tell(name, keys, after, uninstall_ran, watch, user_before, user_after)

    def read_config(self):
        """Steps 1 and 2 from the medium, read with the host's profile functions."""
        if self.place.folder_stop(self.folder, self.code_page):
            return None  # the launcher refuses its folder before it reads anything
        folder = find_entry(self.copy, self.folder)
        pattern = self.place.windows_path(os.path.join(self.folder, "SETUP.INI"))
        config = self.config_path()
        self.events.append({"event": "file_find", "pattern": pattern, "found": config,
                            "host_directory": folder})
        if not config or config_check.undated(config):
            return None  # not there, or dated where the launcher takes it for absent
        import inifile  # the host's profile reader, as check-medium uses it
        value = inifile.app_name(self.machine, config)
        found = value is not None
        value = b"NoName" if value is None else value
        self.events.append({"event": "profile_read", "section": "Startup", "key": "AppName",
                            "file": self.place.windows_path(os.path.relpath(config, self.copy)),
                            "found": True,
                            "result_hex": value.hex(),
                            "default_hex": b"NoName".hex() if not found else ""})
        return value

    def copy_keys(self, name):
        text = name.decode(f"cp{self.code_page}", errors="replace")
        product = self.layout.product_key(text)
        entry = self.layout.uninstall_entry(text)
        return {"product": (product[5:], self.key_state(product)[0]),
                "entry": (entry[5:], *self.key_state(entry, "UninstallString"))}

    def uninstaller_dirs(self):
        drive_c = os.path.join(self.prefix, "drive_c")
        found = []
        for _, command in self.machine.uninstall_commands(
                self.stored_key(UNINSTALL_PREFIX.rstrip("\\"))):
            posix = self.uninstaller_path(command, drive_c)
            if posix and os.path.dirname(posix) not in found:
                found.append(os.path.dirname(posix))
        return found

    def wait_for_second_process(self, name):
        """Waits until the hands-off uninstaller's second process has marked
        its work done; its record when it removed the copy."""
        directories = self.uninstaller_dirs()
        deadline = time.monotonic() + WINE_HANDS_OFF_SECONDS + hands_off.GRACE_SECONDS
        while not self.marker("second", directories) and time.monotonic() < deadline:
            time.sleep(0.2)
        later = self.copy_keys(name)
        if not self.marker("second", directories) or later["product"][1]:
            return []
        return [{"role": "second process", "seconds": WINE_HANDS_OFF_SECONDS,
                 "deleted": [later["product"][0], later["entry"][0]]}]

    def lookup_environment(self):
        """The host's program lookup on the Wine prefix's drives, with Wine's
        search folders only (not the host's PATH)."""
        return {**super().lookup_environment(), "HOSTWIN_PREFIX": self.prefix}

    def uninstaller_path(self, command, drive_c):
        """Where the stand-in for the command was placed, or None."""
        folder = self.launcher_folder()
        answer = self.machine.locate_program(command, folder, folder, **self.lookup_environment())
        return answer["posix"] if answer["found"] and is_below(answer["posix"], drive_c) else None

    def marker(self, name, directories):
        """The stand-in's marker lines (command=, cwd=, show=) as records."""
        records = []
        for directory in directories:
            path = os.path.join(directory, f"{name}.ran")
            if not os.path.exists(path):
                continue
            with open(path, "rb") as file:
                lines = file.read().decode(f"cp{self.code_page}", errors="replace").split("\r\n")
            record = {}
            for line in lines:
                field, _, value = line.partition("=")
                if field in ("command", "cwd", "show"):
                    if field == "command" and record:
                        records.append(record)
                        record = {}
                    record[field] = value
            if record:
                records.append(record)
        return records

    def watch_run(self):
        """Runs the launcher with the watcher beside it; screenshots and answers
        each box and the form; returns the watcher's lines."""
        report = os.path.join(self.logs, "watch.txt")
        answers = os.path.join(self.directory, "answers")
        os.makedirs(answers)
        with open(report, "wb") as out:
            watcher = subprocess.Popen(
                # The watcher's hook runs inside the launcher: of its bitness.
                ["timeout", str(RUN_SECONDS + 30), WINE[self.target.bits],
                 self.program("window_watch.exe", self.target.bits), "--answer-dir",
                 windows_path(answers), "--timeout", str(RUN_SECONDS), "--adopt"],
                env=self.wine_env(), stdout=out, stderr=subprocess.DEVNULL, stdin=subprocess.DEVNULL)
        try:
            if not self.wait_for(report, "ready", 60):
                raise CannotRehearse("Wine's window watcher did not start")
            relay = open(os.path.join(self.logs, "relay.txt"), "wb")
            launcher = subprocess.Popen(
                ["timeout", str(RUN_SECONDS), WINE[self.target.bits],
                 os.path.join(self.copy, "Setup.exe")], cwd=self.copy,
                env={**self.wine_env(), "WINEDEBUG": "+relay"}, stdout=subprocess.DEVNULL,
                stderr=relay, stdin=subprocess.DEVNULL)
            answered = 0
            while launcher.poll() is None:
                shown = [line for line in self.lines(report)
                         if line.startswith(("shown class=#32770 ", "shown class=TFormMain "))]
                while answered < len(shown):
                    answered += 1
                    self.shots.append(self.screenshot(shown[answered - 1], answered))
                    open(os.path.join(answers, f"go{answered}"), "w").close()
                time.sleep(0.1)
            self.status = launcher.returncode if launcher.returncode != 124 else None
            relay.close()
            watcher.wait(timeout=RUN_SECONDS + 30)
        finally:
            if watcher.poll() is None:
                watcher.kill()
        return self.lines(report)

    @staticmethod
    def lines(path):
        with open(path, "rb") as file:
            return file.read().decode("ascii", errors="replace").splitlines()

    def wait_for(self, path, first_word, seconds):
        deadline = time.monotonic() + seconds
        while time.monotonic() < deadline:
            if any(line.split(" ")[0] == first_word for line in self.lines(path)):
                return True
            time.sleep(0.1)
        return False

    def screenshot(self, line, number):
        """The PNG of the visible X window titled as the box, or None."""
        caption = hex_text(field(line, "caption"), self.code_page)
        path = os.path.join(self.args.screenshots, f"{self.language.lower()}-{number}.png")
        time.sleep(0.5)  # let Wine paint it
        found = subprocess.run(["xdotool", "search", "--onlyvisible", "--name",
                                "^" + caption.replace("(", "\\(").replace(")", "\\)") + "$"],
                               capture_output=True, text=True, check=False).stdout.split()
        if not found:
            return None
        done = subprocess.run(["import", "-window", found[-1], path], capture_output=True,
                              check=False)
        return path if done.returncode == 0 else None

    # --- the account, in the host journal's words ------------------------------------
    def tell(self, name, keys, after, uninstall_ran, watch, user_before, user_after):
        events = self.events
        boxes = [line for line in watch if line.startswith(f"shown class={BOX} ")]
        form = [line for line in watch if line.startswith(f"shown class={FORM} ")]
        if keys:
            product, present, entry = keys["product"], keys["product"][1], keys["entry"]
            events.append(self.open_event(product[0], present))
            if present:
                events.append(self.open_event(entry[0], entry[1]))
            if present and entry[1]:
                events.append(self.open_event(entry[0], True))
                events.append(self.query_event(entry))
                record = uninstall_ran[0] if uninstall_ran else None
                events.append({"event": "process_start", "api": "CreateProcessA",
                               "command_line": entry[3] or "", "result": bool(record),
                               "error": None, "reason": "no stand-in recorded a start"})
                if record:
                    self.records.append({"role": "uninstaller", "directory": self.posix_of(record.get("cwd")),
                                         "mode": self.args.uninstaller,
                                         "status": 1 if self.args.uninstaller == "fails" else 0})
                if after:
                    events.append(self.open_event(after["product"][0], after["product"][1]))
                    if after["product"][1]:
                        events.append(self.open_event(after["entry"][0], after["entry"][1]))
        # The launcher went on to start its setup program when it called
        # WinExec (a box then tells the failure), or when it ended without a box.
        calls = self.winexec_results()
        went_on = name not in (None, b"NoName") and (calls or not boxes and not form)
        if went_on:
            outcome = 0 if user_before and not user_after else \
                ERROR_FILE_NOT_FOUND if not user_before else ERROR_ACCESS_DENIED
            events.append({"event": "registry_delete_key", "key": self.layout.user_data_key,
                           "result": outcome})
            self.tell_setup(calls[-1] if calls else None)
        flags = iter(self.box_flags())
        shots = {line: shot for line, shot in zip(
            [line for line in watch if line.startswith(("shown class=#32770 ",
                                                        "shown class=TFormMain "))], self.shots)}
        for line in boxes:
            events.append({"event": "message_box", "caption": hex_text(field(line, "caption"),
                                                                        self.code_page),
                           "text": "\n".join(hex_text(t, self.code_page)
                                             for t in field(line, "texts").split(",") if t),
                           "flags": next(flags, 0), "screenshot": shots.get(line)})
        for line in form:
            events.append({"event": "window_show", "class": FORM, "screenshot": shots.get(line),
                           "caption": hex_text(field(line, "caption"), self.code_page)})
        events.append({"event": "exit", "program": "Setup.exe",
                       "status": self.status if self.status is not None else "none"})

    def tell_setup(self, winexec):
        """The start of the setup program; winexec: WinExec's result as the
        relay trace shows it, or None when the trace has none."""
        command = f"{self.folder}\\Setup.exe"
        folder = find_entry(self.copy, self.folder)
        program = folder and find_entry(folder, "Setup.exe")
        # The launcher does not wait for the setup program: its marker may come later.
        deadline = time.monotonic() + (SETUP_WAIT_SECONDS if program and
                                       is_windows_program(program) else 0)
        records = self.marker("setup", [folder or self.copy])
        while not records and time.monotonic() < deadline:
            time.sleep(0.1)
            records = self.marker("setup", [folder])
        if winexec is not None and winexec < 32:
            # WinExec's codes: 2 no such file, 3 no such path, 11 not a program.
            result, error = winexec, {11: ERROR_BAD_EXE_FORMAT}.get(winexec, winexec)
        elif records:
            result, error = 33, 0
            for record in records:
                self.records.append({"role": "setup", "command_line": record.get("command"),
                                     "directory": self.posix_of(record.get("cwd")), "show": record.get("show")})
        elif program:
            # No box: WinExec succeeded (it fails with a box), although the
            # stand-in left no record in time.
            result, error = 33, 0
        else:
            result, error = ERROR_FILE_NOT_FOUND, ERROR_FILE_NOT_FOUND
        reason = {ERROR_BAD_EXE_FORMAT: "not a program", ERROR_FILE_NOT_FOUND: "no such file",
                  ERROR_PATH_NOT_FOUND: "no such directory"}
        self.events.append({"event": "process_start", "api": "WinExec", "command_line": command,
                            "result": result, "show": 1, "error": error,
                            "reason": reason.get(error)})

    def open_event(self, key, exists):
        return {"event": "registry_open", "root": "HKEY_LOCAL_MACHINE", "key": key,
                "access": KEY_READ, "result": 0 if exists else ERROR_FILE_NOT_FOUND}

    def query_event(self, entry):
        _, exists, kind, data = entry
        types = {"REG_SZ": 1, "REG_EXPAND_SZ": 2, "REG_BINARY": 3, "REG_DWORD": 4,
                 "REG_MULTI_SZ": 7, "REG_QWORD": 11}
        if kind is None:
            return {"event": "registry_query", "value": "UninstallString", "result": 2}
        size = len(data.encode(f"cp{self.code_page}", errors="replace")) + 1 \
            if kind in ("REG_SZ", "REG_EXPAND_SZ") else {"REG_DWORD": 4, "REG_QWORD": 8}.get(kind, 0)
        return {"event": "registry_query", "value": "UninstallString", "result": 0,
                "type": types.get(kind, kind), "size": size}

    def box_flags(self):
        """The flags of each MessageBoxA call, in order, from Wine's relay trace."""
        return [int(flags, 16) for flags in
                re.findall(r"Call user32\.MessageBoxA\(.*,([0-9A-Fa-f]+)\) ret=", self.relay_trace())]

    def winexec_results(self):
        """What each WinExec call returned, in order, from Wine's relay trace."""
        return [int(value, 16) for value in
                re.findall(r"Ret  (?i:kernel32)\.WinExec\(\) retval=([0-9A-Fa-f]+)", self.relay_trace())]

    def relay_trace(self):
        """Wine's relay trace of the launcher's run."""
        with open(os.path.join(self.logs, "relay.txt"), "rb") as file:
            return file.read().decode("latin-1")

    def stand_ins(self, role):
        return [r for r in getattr(self, "records", []) if r["role"] == role]


def field(line, name):
    """A field NAME=VALUE of a watcher line."""
    for word in line.split(" "):
        if word.startswith(name + "="):
            return word[len(name) + 1:]
    return ""


def posix_path(windows):
    """The POSIX path of a path on Wine's drive Z: (the root)."""
    if not windows or windows[:2].upper() != "Z:":
        return windows
    return windows[2:].replace("\\", "/") or "/"
