"""One road of the rehearsal: the host Setup.exe run with a locale on a scratch
copy of the medium and a scratch machine, and its account, told from the
host's journal (rehearse.py runs the roads)."""
import json
import os
import shlex
import shutil
import subprocess
import sys
import time

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, HERE)

import hands_off  # noqa: E402
import config_check  # noqa: E402
import inifile  # noqa: E402
import missed_copy  # noqa: E402
from layout import UNINSTALL_PREFIX, language_of  # noqa: E402
from machine import Machine  # noqa: E402
from medium_files import find_entry, is_windows_program, language_resource_files  # noqa: E402
from place import folder_note  # noqa: E402
from views import other_view, other_view_note, key_in_view, stored_path  # noqa: E402

ROADS = {"ja": 1041, "en": 1033}
HIVES = {"HKEY_LOCAL_MACHINE": "HKLM", "HKEY_CURRENT_USER": "HKCU"}
TYPES = {0: "REG_NONE", 1: "REG_SZ", 2: "REG_EXPAND_SZ", 3: "REG_BINARY", 4: "REG_DWORD",
         7: "REG_MULTI_SZ", 11: "REG_QWORD"}
ICONS = {0x10: "stop", 0x20: "question", 0x30: "warning", 0x40: "information"}
SETUP_WAIT_SECONDS = 10
RUN_TIMEOUT_SECONDS = 120


class CannotRehearse(Exception):
    """The rehearsal cannot be made: one line for standard error."""


def default_code_page(lcid):
    """The ANSI code page a system of the locale has unless told otherwise."""
    return 932 if lcid == ROADS["ja"] else 1252


def parse_locale(text):
    if text in ROADS:
        return ROADS[text]
    try:
        value = int(text, 0)
    except ValueError:
        raise CannotRehearse(f"--locale {text}: not ja, en or a locale identifier") from None
    if not 0 < value < 0x10000:
        raise CannotRehearse(f"--locale {text}: not a locale identifier")
    return value


def windows_path(posix):
    """The Windows form the host gives a POSIX path: drive Z: is the root."""
    return "Z:" + posix.replace("/", "\\")


def installed_place(answer, root):
    """Where an uninstaller that the machine does not have yet is taken to be
    installed, from the host's lookup of its command (Machine.locate_program):
    of the places the lookup tries that lie on the machine (below root, its
    drive C:), in the lookup's order, the first whose name is written with
    ".exe"; else the first after which the rest of the line reads as
    arguments (nothing, a switch or a quote); else the first. None when the
    lookup tries no place on the machine."""
    on_machine = [place for place in answer["tried"]
                  if place["posix"] and is_below(place["posix"], root)]
    written = [p for p in on_machine if not p["exe_appended"]
               and p["windows"].lower().endswith(".exe")]
    if written:
        return written[0]["posix"]
    for place in on_machine:
        rest = place["arguments"].lstrip(" \t")
        if not rest or rest[0] in "/-\"":
            return place["posix"]
    return on_machine[0]["posix"] if on_machine else None


def is_below(path, directory):
    """True when path lies inside directory (both absolute POSIX paths)."""
    return os.path.commonpath([os.path.realpath(path), os.path.realpath(directory)]) == \
        os.path.realpath(directory)


def stand_in_script(role, records, *extra):
    """A shell script that runs stand_in.py with its own path as the program."""
    head = " ".join(shlex.quote(a) for a in (sys.executable, os.path.join(HERE, "stand_in.py"),
                                              role, records))
    tail = " ".join(shlex.quote(a) for a in extra)
    return f'#!/bin/sh\nexec {head} "$0" {tail}\n'


def keep_times(source, target):
    """Gives the copy (a file or folder, or a stand-in in a program's place)
    the access and modification times of what it stands for."""
    try:
        info = os.stat(source)
        os.utime(target, ns=(info.st_atime_ns, info.st_mtime_ns))
    except OSError:
        pass


def write_program(path, text):
    os.makedirs(os.path.dirname(path), exist_ok=True)
    with open(path, "w", encoding="utf-8") as file:
        file.write(text)
    os.chmod(path, 0o755)


class Road:
    """One run of the launcher with a locale, and its account."""

    def __init__(self, args, layout, lcid, scratch):
        self.args = args
        self.target = args.target
        self.layout = layout
        self.lcid = lcid
        self.language = language_of(lcid)
        # The system's ANSI code page may differ from the user's locale's.
        self.code_page = args.code_page or default_code_page(lcid)
        self.folder = layout.folder(self.language)
        self.directory = os.path.join(scratch, f"{self.language}-{lcid}")
        # The copy is where a user's medium is (a drive's root, or --at).
        self.place = args.place
        self.copy = self.place.directory(self.prefix_directory(), self.directory)
        self.records = os.path.join(self.directory, "stand-ins.jsonl")
        self.journal = os.path.join(self.directory, "journal.jsonl")
        self.notes = []
        self.second_processes = []  # records of hands-off uninstallers' second processes
        self.machine = Machine(os.path.join(self.directory, "machine"), args.hostwin_reg)

    def prefix_directory(self):
        """The directory of the machine the launcher runs on."""
        return os.path.join(self.directory, "machine")

    def link_place(self, prefix):
        """Maps the place's drive of the machine in prefix to its directory."""
        self.place.link(prefix, os.path.realpath(
            self.place.drive_directory(self.prefix_directory(), self.directory)))

    # --- the scratch medium and machine ------------------------------------------------
    def copy_medium(self):
        medium = self.args.medium
        os.makedirs(self.copy, exist_ok=True)  # --at C:\ is the prefix's own drive_c
        shutil.copyfile(self.args.program, os.path.join(self.copy, "Setup.exe"))
        os.chmod(os.path.join(self.copy, "Setup.exe"), 0o755)
        for entry in language_resource_files(medium):
            self.copy_file(os.path.join(medium, entry), os.path.join(self.copy, entry))
        for language in ("Japanese", "English"):
            source = find_entry(medium, self.layout.folder(language))
            if not source or not os.path.isdir(source):
                continue
            target = os.path.join(self.copy, os.path.basename(source))
            os.makedirs(target)
            for entry in sorted(os.listdir(source)):
                path = os.path.join(source, entry)
                if entry.lower() == "setup.ini" and os.path.isfile(path):
                    self.copy_file(path, os.path.join(target, entry))
                elif entry.lower() == "setup.exe" and os.path.isfile(path):
                    self.place_setup_program(path, os.path.join(target, entry))
                    keep_times(path, os.path.join(target, entry))
            keep_times(source, target)
        keep_times(medium, self.copy)

    def copy_file(self, source, target):
        try:
            # With its times: a SETUP.INI dated before 1980 is absent to the launcher.
            shutil.copy2(source, target)
        except OSError as error:
            self.notes.append(f"{os.path.relpath(source, self.args.medium)} cannot be read "
                              f"({error.strerror}): the rehearsal goes on without it")

    def place_setup_program(self, source, target):
        if is_windows_program(source):
            write_program(target, stand_in_script("setup", self.records))
        else:
            # Not a program Windows could start: a file the host cannot
            # execute either, so that the launcher meets the same failure.
            write_program(target, "not a Windows program (rehearsal placeholder)\n")

    def stored_key(self, key):
        """HKLM\\KEY of the launcher's view where regedit shows it."""
        return "HKLM\\" + stored_path(key.removeprefix("HKLM\\"), self.target.view)

    def launcher_folder(self):
        """The folder the launcher runs in (its own folder, which is also its
        current folder), as a POSIX path: the host names it as the launcher
        sees it, also where the road's code page cannot write its name."""
        return self.copy

    def launcher_file(self):
        """The launcher's own file in the copy, as a POSIX path."""
        return os.path.join(self.launcher_folder(), "Setup.exe")

    def lookup_environment(self):
        """The environment of the launcher's program lookup: the machine's
        folders, not the host's PATH."""
        return {"PATH": ""}

    def uninstaller_place(self, entry, command, root):
        """The POSIX path where the stand-in for an uninstall command goes on
        the machine below root (drive C:), found by the host's lookup from the
        launcher's folder: the file it finds there, else where the uninstaller
        is taken to be installed (installed_place). None, with a note for the
        account, when the command starts the launcher itself, a file off the
        machine, or names no place on it."""
        folder = self.launcher_folder()
        answer = self.machine.locate_program(command, folder, folder, **self.lookup_environment())
        found = answer["posix"] if answer["found"] else None
        launcher = os.path.join(self.copy, "Setup.exe")
        if found and os.path.realpath(found) == os.path.realpath(launcher):
            self.notes.append(f"the uninstall entry {entry} has the command {command}, which "
                              f"starts the launcher itself (Setup.exe in its own folder is "
                              f"found first): the launcher refuses to run it")
            return None
        if found and is_below(found, root):
            return found
        if found:
            self.notes.append(f"the uninstall entry {entry} has the command {command}, which "
                              f"starts {answer['windows']}, a file that is not on the rehearsal "
                              f"machine: no stand-in is placed for it")
            return None
        place = installed_place(answer, root)
        if not place:
            self.notes.append(f"the uninstall entry {entry} has the command {command}, which "
                              f"names no place on the rehearsal machine (another drive or a "
                              f"network path): no stand-in is placed, and the launcher cannot "
                              f"start it")
        return place

    def place_uninstallers(self):
        """Stand-ins for the uninstallers of the entries in the launcher's view;
        each removes the keys of its copy in that view."""
        by_program = {}
        entries = self.stored_key(UNINSTALL_PREFIX.rstrip("\\"))
        for entry, command in self.machine.uninstall_commands(entries):
            posix = self.uninstaller_place(entry, command,
                                           os.path.join(self.machine.directory, "drive_c"))
            if not posix:
                continue
            keys = [self.stored_key(self.layout.product_key(entry)),
                    self.stored_key(self.layout.uninstall_entry(entry))]
            by_program.setdefault(posix, {}).setdefault(command, []).extend(keys)
        for index, (posix, copies) in enumerate(sorted(by_program.items())):
            keys_file = os.path.join(self.directory, f"uninstaller-{index}.json")
            with open(keys_file, "w", encoding="utf-8") as file:
                json.dump(copies, file, ensure_ascii=False)
            write_program(posix, stand_in_script("uninstaller", self.records,
                                                 self.args.uninstaller, self.args.hostwin_reg,
                                                 keys_file))

    # --- the run ----------------------------------------------------------------------
    def run(self):
        self.copy_medium()
        self.link_place(self.machine.directory)
        locale = {"HOSTWIN_LCID": str(self.lcid), "HOSTWIN_ACP": str(self.code_page)}
        # The machine is the road's: a REGEDIT4 fixture's text is read in its code page.
        self.machine.locale = locale
        if self.args.registry:
            self.machine.import_fixture(self.args.registry)
        self.place_uninstallers()
        # The host's PATH is not the machine's: the launcher looks for an
        # uninstaller in the machine's folders only, so that a command such
        # as "rm ..." starts nothing of this system.
        extra = {**locale, "HOSTWIN_JOURNAL": self.journal, "HOSTWIN_PROCESS": self.target.process,
                 **self.lookup_environment()}
        self.events = []
        if not self.target.runs:
            self.status = 0
            return
        try:
            done = subprocess.run([os.path.join(self.copy, "Setup.exe")], cwd=self.copy,
                                  env=self.machine.environment(**extra), stdin=subprocess.DEVNULL,
                                  capture_output=True, timeout=RUN_TIMEOUT_SECONDS, check=False)
            self.status = done.returncode
        except subprocess.TimeoutExpired:
            self.status = None
        self.second_processes = hands_off.wait_for_second_processes(self.stand_ins)
        self.events = self.read_events()
        if any(e["event"] == "process_start" and e["api"] == "WinExec" and e["result"] >= 32
               for e in self.events):
            deadline = time.monotonic() + SETUP_WAIT_SECONDS
            while time.monotonic() < deadline and not self.stand_ins("setup"):
                time.sleep(0.05)

    def read_events(self):
        try:
            with open(self.journal, encoding="utf-8") as file:
                return [json.loads(line) for line in file if line.strip()]
        except FileNotFoundError:
            return []

    def stand_ins(self, role):
        try:
            with open(self.records, encoding="utf-8") as file:
                records = [json.loads(line) for line in file if line.strip()]
        except FileNotFoundError:
            return []
        return [r for r in records if r["role"] == role]

    # --- the account --------------------------------------------------------------------
    def relative(self, path):
        """A Windows path of the scratch medium as the medium's own."""
        root = self.place.windows.rstrip("\\").lower()
        if path.lower().startswith(root + "\\"):
            rest = path[len(root):].lstrip("\\")
            return rest or "the medium's root"
        return path

    def where(self, posix):
        rest = os.path.relpath(posix, self.copy)
        return "the medium's root" if rest == "." else rest.replace(os.sep, "\\")

    def account(self):
        """(lines, verdict, ok)."""
        lines = []
        say = lines.append
        numbers = iter(range(1, 100))

        def step(text):
            """Says a step of the launcher's, numbered in order."""
            say(f"{next(numbers)}. {text}")
        apart = (f" (the system's ANSI code page, set apart from the locale's "
                 f"{default_code_page(self.lcid)})"
                 if self.code_page != default_code_page(self.lcid) else "")
        say(f"== {self.language} road: locale {self.lcid}, code page {self.code_page}{apart}")
        say(f"   note: {folder_note(self.folder, self.code_page)}")
        for note in self.notes:
            say(f"   note: {note}")
        state = {"app_name": None, "uninstaller_started": False, "setup": None, "boxes": [],
                 "config_found": None, "product_key": None, "entry": None, "still": False}
        uninstallers = iter(self.stand_ins("uninstaller"))
        config_suffix = (self.folder + "\\SETUP.INI").lower()
        product_prefix = self.layout.product_key_prefix.lower()
        entry_prefix = UNINSTALL_PREFIX.lower()
        user_key = self.layout.user_data_key.lower()
        previous, opened = None, set()
        for event in self.events:
            kind, who = event["event"], event.get("program")
            same = previous is not None and {**event, "pid": 0} == {**previous, "pid": 0}
            previous = event
            if same and kind in ("registry_query", "registry_open"):
                continue  # the same question asked twice in a row (a size, then the data)
            if who == "hostwin-reg":
                if kind in ("registry_delete_key",) and event["result"] == 0:
                    remover = ("uninstaller's second process" if self.args.uninstaller == "hands-off"
                               else "uninstaller stand-in")
                    say(f"     the {remover} deleted "
                        f"{HIVES.get(event['root'], event['root'])}\\{event['key']}")
                continue
            if kind == "library_load":
                outcome = {0: "loaded", 2: "not there", 3: "not there"}.get(
                    event["error"], f"not loaded (Win32 error {event['error']})")
                say(f"   Language resource file {self.relative(event['name'])}: {outcome}")
            elif kind == "file_find" and event["pattern"].lower().endswith(config_suffix):
                found = event["found"] is not None
                undated = found and self.undated()
                state["config_found"] = found and not undated
                place = self.relative(event["pattern"])
                if undated:
                    step(f"Looked for {place} beside Setup.exe: found, but it was {undated}")
                elif found:
                    step(f"Looked for {place} beside Setup.exe: found")
                elif event["host_directory"] is None:
                    step(f"Looked for {place} beside Setup.exe: not found "
                         f"(there is no folder {self.folder})")
                else:
                    step(f"Looked for {place} beside Setup.exe: not found")
            elif kind == "profile_read":
                value = bytes.fromhex(event["result_hex"])
                state["app_name"] = value
                shown = inifile.show_bytes(value, self.code_page)
                if not event["found"]:
                    step(f"Read [{event['section']}] {event['key']}: the file is not there, "
                         f"the default {shown} came back")
                elif value == bytes.fromhex(event["default_hex"] or ""):
                    step(f"Read [{event['section']}] {event['key']} from "
                         f"{self.relative(event['file'])}: no such entry, the default {shown} came back")
                else:
                    step(f"Read [{event['section']}] {event['key']} from "
                         f"{self.relative(event['file'])}: {shown}")
                    for finding in self.reading().findings:
                        say(f"   note: {self.folder}\\SETUP.INI: {finding.text}")
            elif kind == "registry_open":
                key, hive = event["key"], HIVES.get(event["root"], event["root"])
                exists = event["result"] == 0
                outcome = "exists" if exists else "not there" if event["result"] == 2 else \
                    f"error {event['result']}"
                lowered = key.lower()
                if hive == "HKLM" and lowered.startswith(entry_prefix):
                    label, slot = "uninstall entry", "entry"
                elif hive == "HKLM" and lowered.startswith(product_prefix):
                    label, slot = "product key", "product_key"
                elif hive == "HKCU" and lowered == user_key:
                    continue  # told with its deletion
                else:
                    if exists:
                        say(f"   Looked at {hive}\\{key}: exists")
                    continue
                again = state["uninstaller_started"]
                if not again and key.lower() in opened:
                    say(f"   Opened the {label} again to read its command: {outcome}")
                    continue
                opened.add(key.lower())
                if again and slot == "product_key":
                    state["still"] = exists
                elif again:
                    state["still"] = state["still"] and exists
                else:
                    state[slot] = exists
                view = self.target.view_of(event["access"])
                step(f"{'Re-check, ' if again else ''}{label} {key_in_view(key, view)}: {outcome}")
                if not again and not exists:
                    if view is not None and self.machine.exists(
                            "HKLM\\" + stored_path(key, other_view(view))):
                        say(other_view_note(label, key, self.target, view))
                    say("   so there is no earlier copy to remove")
            elif kind == "registry_query" and event["value"] == "UninstallString":
                if event["result"] == 0:
                    say(f"   UninstallString: {TYPES.get(event['type'], event['type'])}, "
                        f"{event['size']} bytes")
                else:
                    say(f"   UninstallString: not there (error {event['result']})")
            elif kind == "process_start" and event["api"] == "CreateProcessA":
                self.account_uninstaller(event, next(uninstallers, None), say, step)
                state["uninstaller_started"] = bool(event["result"])
            elif kind == "registry_delete_key" and event["key"].lower() == user_key:
                outcome = {0: "deleted", 2: "not there, nothing to delete",
                           5: "left (error 5): it has subkeys, and the launcher's delete removes "
                              "only a key without subkeys"}.get(
                    event["result"], f"left (error {event['result']})")
                step(f"Per-user key HKCU\\{event['key']}: {outcome}")
            elif kind == "message_box":
                icon = ICONS.get(event["flags"] & 0xF0, "no")
                state["boxes"].append(event)
                say(f"   A user sees a box with the {icon} icon, caption \"{event['caption']}\": "
                    f"\"{event['text']}\"")
                self.account_screenshot(event, say)
            elif kind == "window_show" and event["class"] == "TFormMain":
                say(f"   A user sees the main form \"{event['caption']}\"")
                self.account_screenshot(event, say)
            elif kind == "process_start" and event["api"] == "WinExec":
                state["setup"] = event
                self.account_setup(event, say, step)
            elif kind == "deadlock":
                say(f"   The launcher waited for nobody: {event['reason']}")
            elif kind == "exit" and who == "Setup.exe":
                say(f"   Setup.exe ended with exit status {event['status']}")
        if not self.target.runs:
            say(f"   {self.target.cannot_run()}")
        if self.status is None:
            say(f"   Setup.exe did not end within {RUN_TIMEOUT_SECONDS} s and was stopped")
        hands_off.account(self.second_processes, state["still"] and bool(state["boxes"]), say)
        self.account_near_names(state, say)
        verdict = self.verdict(state)
        say(verdict)
        return lines, verdict.startswith("OK")

    @staticmethod
    def account_screenshot(event, say):
        if "screenshot" in event:
            say(f"     its screenshot: {event['screenshot'] or 'none could be taken'}")

    def account_uninstaller(self, event, record, say, step):
        command = event["command_line"]
        if not event["result"]:
            error = f" (Win32 error {event['error']})" if event["error"] is not None else ""
            step(f"Could not start the uninstall command {command}: {event['reason']}{error}")
            return
        step(f"Started the uninstaller and waited for it: {command}")
        if event.get("image"):
            say(f"     the program it started: {event['image']}")
        if record:
            say(f"     the stand-in recorded: current directory {self.where(record['directory'])}; "
                f"told to: {record['mode']}; it ended with status {record['status']}")

    def account_setup(self, event, say, step):
        command = event["command_line"]
        if event["result"] < 32:
            step(f"Could not start {command}: {event['reason']} "
                 f"(WinExec returned {event['result']}, Win32 error {event['error']})")
            return
        step(f"Started {command} with show command {event['show']} (SW_SHOWNORMAL), "
             f"not waiting for it")
        for record in self.stand_ins("setup"):
            say(f"     the stand-in recorded: command line {record['command_line']}, current "
                f"directory {self.where(record['directory'])}, show command {record['show']}")

    def account_near_names(self, state, say):
        """A key of the installed copy whose name is close to the AppName but
        not equal to it is the mistake that the launcher cannot tell."""
        name = state["app_name"]
        if not name or state["product_key"] and state["entry"]:
            return
        text = name.decode("cp932" if self.code_page == 932 else "cp1252", errors="replace")
        as_utf8 = name.decode("utf-8") if inifile.is_utf8(name) and name.decode("utf-8") != text else None
        for role, key in (("product key", "HKLM\\" + self.layout.product_key_prefix.rstrip("\\")),
                          ("uninstall entry", "HKLM\\" + UNINSTALL_PREFIX.rstrip("\\"))):
            subkeys = self.machine.subkeys(self.stored_key(key))
            for other in inifile.close_names(text, subkeys):
                say(f"   note: the machine has the {role} {key}\\{other}, which is not the AppName "
                    f"\"{text}\" ({missed_copy.differences(text, other)}): the launcher looks for "
                    f"the exact name, so it finds no earlier copy and never runs its uninstaller")
            for other in subkeys:
                if as_utf8 and other.lower() == as_utf8.lower():
                    say(f"   note: the machine has the {role} {key}\\{other}: that is the AppName "
                        f"read as UTF-8; the launcher reads the bytes in code page "
                        f"{self.code_page} and never finds it")
        if state["product_key"] and state["entry"] is False:
            say("   note: the product key is there but its uninstall entry is not: the launcher "
                "takes the earlier copy for absent and does not remove it")

    def verdict(self, state):
        """The road's last line: what the run came to, as Windows would read
        the road's SETUP.INI, and whether the machine's earlier copy stays."""
        ran = self.run_verdict(state)
        if not ran.startswith("OK"):
            return ran
        findings = self.reading().findings
        for finding in findings:
            if finding.effect == config_check.STOPS:
                return f"STOPPED: {self.folder}\\SETUP.INI: {finding.text}"
        for text, _ in self.missed(state):
            return (f"MISSED: {self.language} setup program started, but the earlier copy stays "
                    f"installed: {text}")
        for finding in findings:
            return (f"MISSED: {self.language} setup program started, but an earlier copy installed "
                    f"under the name meant would stay: {self.folder}\\SETUP.INI: {finding.text}")
        return ran

    def missed(self, state):
        """[(text, effect)] for the fixture's earlier copy that the run did
        not find (missed_copy.py)."""
        if not self.args.registry or not state["app_name"] or \
                state["product_key"] and state["entry"]:
            return []
        return missed_copy.missed(self.machine, self.layout, state["app_name"], self.code_page,
                                  self.target.view, self.target.build,
                                  os.path.basename(self.args.registry), self.launcher_file(),
                                  self.lookup_environment())

    def run_verdict(self, state):
        """The verdict on what the run itself did."""
        setup = state["setup"]
        if not self.target.runs:
            return f"STOPPED: {self.target.cannot_run()}"
        if setup is not None and setup["result"] >= 32:
            return f"OK: {self.language} setup program started"
        if setup is not None:
            return f"STOPPED: {setup['command_line']} could not be started: {setup['reason']}"
        if self.status is None:
            return "STOPPED: Setup.exe did not end"
        if state["boxes"] and state["config_found"] is None:
            why = self.place.folder_stop(self.folder, self.code_page)
            return ("STOPPED: Setup.exe cannot use the medium's folder path (an information box)"
                    + (f": {why}" if why else ""))
        if state["config_found"] is False:
            undated = self.undated()
            return (f"STOPPED: {self.folder}\\SETUP.INI not found beside Setup.exe"
                    + (f": it was {undated}" if undated else ""))
        if state["app_name"] == b"NoName":
            return f"STOPPED: no [Startup] AppName in {self.folder}\\SETUP.INI" + self.config_hint()
        for box in state["boxes"]:
            if box["flags"] & 0xF0 == 0x10:
                return f"STOPPED: an error box: {box['text']}"
        if state["boxes"] and state["product_key"] is None:
            return f"STOPPED: {self.folder}\\Setup.exe not found beside Setup.exe (an information box)"
        if state["boxes"] and state["still"]:
            return ("STOPPED: the earlier copy was still installed after its uninstaller had run"
                    + hands_off.verdict_hint(self.second_processes))
        if state["boxes"] and state["product_key"] and state["entry"]:
            text = state["app_name"].decode(f"cp{self.code_page}", errors="replace")
            why = missed_copy.self_started(self.machine, text, self.target.view,
                                           self.launcher_file(), self.lookup_environment())
            return "STOPPED: the uninstaller could not be run" + (f": {why[0][0]}" if why else "")
        if state["boxes"]:
            return f"STOPPED: an information box: {state['boxes'][0]['text']}"
        return "STOPPED: Setup.exe ended without starting a setup program"

    def config_path(self):
        """The road's SETUP.INI in the scratch copy, or None."""
        folder = find_entry(self.copy, self.folder)
        return (folder and find_entry(folder, "SETUP.INI")) or None

    def config_bytes(self):
        """The bytes of the road's SETUP.INI in the scratch copy, or None."""
        config = self.config_path()
        if not config:
            return None
        with open(config, "rb") as file:
            return file.read()

    def medium_config(self):
        """The road's SETUP.INI on the medium itself, or None."""
        folder = find_entry(self.args.medium, self.folder)
        return (folder and find_entry(folder, "SETUP.INI")) or None

    def reading(self):
        """The road's SETUP.INI as the launcher reads it on Windows, and what
        is wrong with it (config_check.py)."""
        if getattr(self, "_reading", None) is None:
            config = self.config_path()
            self._reading = config_check.read_config(
                self.machine, config, self.language, self.code_page, self.directory,
                dated=self.medium_config()) if config else config_check.Reading(None, [], None)
        return self._reading

    def undated(self):
        """Why the medium's SETUP.INI has no DOS time, or None."""
        original = self.medium_config()
        return config_check.undated(original) if original else None

    def config_hint(self):
        data = self.config_bytes()
        if data is None:
            return ""
        problem = inifile.encoding_problem(data, self.language)
        if problem:
            return f" (the file {problem})"
        keys = [k.decode("latin-1") for k in inifile.startup_keys(self.machine, self.config_path())]
        near = inifile.close_names("AppName", keys)
        return f" (it has {', '.join(near)}: the key must be AppName)" if near else ""
