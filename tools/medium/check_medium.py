#!/usr/bin/env python3
"""Checks an installation medium for the launcher without running anything.

  check_medium.py MEDIUM --program SETUP_EXE --hostwin-reg HOSTWIN_REG [--registry FILE.reg]
                  [--at WINDOWS_PATH]

Lists each problem with the file it concerns, then per language the registry
keys the launcher will look for on a user's machine. With --registry, those
keys are also looked for in that machine's registry (loaded into a scratch
machine), and a copy installed under another name is a problem. The files
the launcher reads are read through the host where a user's medium is (the
root of drive D:, or the folder --at names), whatever folder holds MEDIUM
here; a folder a user may choose is a note per road, the --at folder a
problem when the launcher refuses it. The layout (language
folders, product key prefix, per-user key) is read from the medium's own
Setup.exe when it is a build of this launcher, else from SETUP_EXE.
Exit status: 0 no problem, 1 problems, 2 the medium could not be checked.
"""
import argparse
import os
import sys
import tempfile

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
sys.path.insert(0, os.path.dirname(os.path.dirname(os.path.abspath(__file__))))

import inifile  # noqa: E402
from inspect_pe import Image  # noqa: E402
from layout import UNINSTALL_PREFIX, LayoutError, read_layout  # noqa: E402
from machine import Machine, MachineError  # noqa: E402
from medium_files import find_entry, is_windows_program, language_resource_files  # noqa: E402
from place import Place, PlaceError, expose, folder_note  # noqa: E402
from views import key_in_view, other_view, stored_path, target_of, view_name  # noqa: E402

LANGUAGES = (("Japanese", 932), ("English", 1252))


class Checker:
    def __init__(self, medium, layout, hostwin_reg, scratch, target, place):
        self.medium = medium
        self.place = place
        self.target = target
        self.layout = layout
        self.hostwin_reg = hostwin_reg
        self.scratch = scratch
        self.problems = []
        self.app_names = {}

    def machine(self, name, code_page):
        """A fresh scratch host machine in the code page."""
        machine = Machine(os.path.join(self.scratch, name), self.hostwin_reg)
        machine.use_code_page(code_page)
        machine.medium_folder = expose(self.place, machine.directory, self.medium)
        return machine

    def at_place(self, machine, path):
        """A file of the medium named at the place on the machine."""
        return os.path.join(machine.medium_folder, os.path.relpath(path, self.medium))

    def check_place(self):
        """The --at folder on each road: the launcher's folder check."""
        for language, code_page in LANGUAGES:
            why = self.place.folder_stop(self.layout.folder(language), code_page)
            if why:
                self.problems.append(f"{self.place.windows}: the launcher cannot use this folder "
                                     f"on the {language} road (an information box): {why}")

    def notes(self):
        return [f"{language}: {folder_note(self.layout.folder(language), code_page)}"
                for language, code_page in LANGUAGES]

    def problem(self, path, text):
        shown = os.path.relpath(path, self.medium) if path != self.medium else "."
        self.problems.append(f"{shown.replace(os.sep, chr(92))}: {text}")

    def check_launcher(self):
        program = find_entry(self.medium, "Setup.exe")
        if not program:
            self.problem(os.path.join(self.medium, "Setup.exe"), "missing: the launcher itself")
        elif not is_windows_program(program):
            self.problem(program, "not a Windows program (no MZ/PE header)")

    def check_language(self, language, code_page):
        folder_name = self.layout.folder(language)
        folder = find_entry(self.medium, folder_name)
        if not folder or not os.path.isdir(folder):
            hint = inifile.close_names(folder_name, [e for e in os.listdir(self.medium)
                                                     if os.path.isdir(os.path.join(self.medium, e))])
            also = f" (found {', '.join(hint)}: the name must be {folder_name})" if hint else ""
            self.problem(os.path.join(self.medium, folder_name),
                         f"{language} folder missing{also}")
            return
        self.check_config(language, code_page, folder)
        setup = find_entry(folder, "Setup.exe")
        if not setup:
            self.problem(os.path.join(folder, "Setup.exe"), f"{language} setup program missing")
        elif not is_windows_program(setup):
            self.problem(setup, "not a Windows program (no MZ/PE header): it cannot be started")

    def check_config(self, language, code_page, folder):
        config = find_entry(folder, "SETUP.INI")
        if not config:
            self.problem(os.path.join(folder, "SETUP.INI"),
                         f"missing: on the {language} road the launcher ends without a word")
            return
        try:
            with open(config, "rb") as file:
                data = file.read()
        except OSError as error:
            self.problem(config, f"cannot be read ({error.strerror})")
            return
        encoding = inifile.encoding_problem(data, language)
        if encoding:
            self.problem(config, encoding)
        machine = self.machine(f"{language}-profile", code_page)
        name = inifile.app_name(machine, self.at_place(machine, config))
        if name is None:
            keys = [k.decode("latin-1")
                    for k in inifile.startup_keys(machine, self.at_place(machine, config))]
            hint = inifile.close_names("AppName", keys)
            also = f" (found {', '.join(hint)}: the key must be AppName)" if hint else ""
            self.problem(config, f"no [Startup] AppName{also}: the launcher ends without a word")
        elif name == b"":
            self.problem(config, "[Startup] AppName is empty")
        elif name == b"NoName":
            self.problem(config, "[Startup] AppName is \"NoName\", which the launcher takes for none")
        else:
            self.app_names[language] = (name, code_page)

    def check_language_resources(self):
        for entry in language_resource_files(self.medium):
            path = os.path.join(self.medium, entry)
            try:
                with open(path, "rb") as file:
                    image = Image(file.read())
                names = {str(name).upper() for kind, name, _ in image.resources() if kind == 10}
            except (OSError, ValueError, IndexError, UnicodeDecodeError) as error:
                self.problem(path, f"language resource file that is no readable PE file ({error})")
                continue
            if "TFORMMAIN" not in names:
                self.problem(path, "language resource file without the form description TFORMMAIN "
                                   "(RCDATA): Setup.exe stops with an error where it is chosen")

    def check_registry(self, fixture):
        """The installed copy's keys in the fixture's machine, in the view the
        launcher reads, per language: absent under the AppName (and maybe
        present in the other view), or present under a near name."""
        view = self.target.view
        for language, (name, code_page) in self.app_names.items():
            machine = self.machine(language, code_page)
            machine.import_fixture(fixture)
            text = name.decode(f"cp{code_page}", errors="replace")
            config = os.path.join(find_entry(self.medium, self.layout.folder(language)),
                                  "SETUP.INI")
            for role, parent in (("product key", self.layout.product_key_prefix.rstrip("\\")),
                                 ("uninstall entry", UNINSTALL_PREFIX.rstrip("\\"))):
                subkeys = machine.subkeys("HKLM\\" + stored_path(parent, view))
                if any(key.lower() == text.lower() for key in subkeys):
                    continue
                near = inifile.close_names(text, subkeys)
                also = f" (it has {', '.join(near)}: the names must be equal)" if near else ""
                key = f"{parent}\\{text}"
                if view is not None and machine.exists("HKLM\\" + stored_path(key, other_view(view))):
                    other = other_view(view)
                    also += (f"; it is in {view_name(other)} (regedit: HKLM\\"
                             f"{stored_path(key, other)}), where a {other}-bit installer writes "
                             f"it: the {self.target.build} build will not see it; the win{other} "
                             f"build would")
                self.problem(config, f"AppName \"{text}\": the {role} {key_in_view(key, view)} is not "
                                     f"in {os.path.basename(fixture)}{also}")

    def keys(self):
        lines = []
        for language, _ in LANGUAGES:
            if language not in self.app_names:
                continue
            name, code_page = self.app_names[language]
            shown_name = inifile.show_bytes(name, code_page)
            text = name.decode("cp932" if code_page == 932 else "cp1252", errors="replace")
            view = self.target.view
            lines.append(f"{language} (AppName {shown_name}):")
            lines.append(f"  {key_in_view(self.layout.product_key(text)[5:], view)}    "
                         f"(the product's installer writes it)")
            lines.append(f"  {key_in_view(self.layout.uninstall_entry(text)[5:], view)}    "
                         f"value UninstallString")
            lines.append(f"  {self.layout.user_key()}    (deleted on every run)")
        return lines


def main(argv):
    parser = argparse.ArgumentParser(prog="check-medium", description=__doc__.splitlines()[0])
    parser.add_argument("medium")
    parser.add_argument("--registry", help="a user's machine as regedit exports it (.reg)")
    parser.add_argument("--windows", choices=("32", "64"), default="64",
                        help="the user's Windows: 64-bit (the default) or 32-bit (no registry views)")
    parser.add_argument("--at", metavar="WINDOWS_PATH",
                        help="where the user's copy of the medium is (default: D:\\, a drive's root)")
    parser.add_argument("--program", required=True, help="the host Setup.exe (for its layout)")
    parser.add_argument("--hostwin-reg", required=True, help="the host's hostwin-reg")
    args = parser.parse_args(argv)
    try:
        place = Place(args.at)
    except PlaceError as error:
        print(f"check-medium: {error}", file=sys.stderr)
        return 2
    medium = os.path.realpath(args.medium)
    if not os.path.isdir(medium):
        what = "not a directory" if os.path.exists(args.medium) else "no such directory"
        print(f"check-medium: {args.medium}: {what}", file=sys.stderr)
        return 2
    try:
        os.listdir(medium)
    except OSError as error:
        print(f"check-medium: {args.medium}: cannot be read ({error.strerror})", file=sys.stderr)
        return 2
    own = find_entry(medium, "Setup.exe")
    source = args.program
    try:
        layout = read_layout(own) if own else None
        source = own if layout else source
    except (OSError, LayoutError):
        layout = None
    if layout is None:
        try:
            layout = read_layout(args.program)
        except (OSError, LayoutError) as error:
            print(f"check-medium: {args.program}: {getattr(error, 'strerror', None) or error}",
                  file=sys.stderr)
            return 2
    with tempfile.TemporaryDirectory(prefix="check-medium-") as scratch:
        target = target_of(own, int(args.windows))
        checker = Checker(medium, layout, os.path.abspath(args.hostwin_reg),
                          os.path.realpath(scratch), target, place)
        try:
            checker.check_launcher()
            checker.check_place()
            for language, code_page in LANGUAGES:
                checker.check_language(language, code_page)
            checker.check_language_resources()
            if args.registry:
                checker.check_registry(os.path.abspath(args.registry))
        except MachineError as error:
            print(f"check-medium: {error}", file=sys.stderr)
            return 2

    print(f"Medium {medium}")
    print(f"Layout from {source}: folders {layout.japanese_folder}, {layout.english_folder}; "
          f"product key prefix HKLM\\{layout.product_key_prefix}")
    print(f"Program: {target.describe('Setup.exe')}")
    print(f"Read at {place.windows} of a user's machine")
    if not target.runs:
        checker.problems.append(f"Setup.exe: {target.cannot_run()}")
    if checker.problems:
        print(f"{len(checker.problems)} problem(s):")
        for line in checker.problems:
            print(f"  {line}")
    else:
        print("No problem found.")
    print("Notes on the folder a user may copy the medium into:")
    for line in checker.notes():
        print(f"  {line}")
    keys = checker.keys()
    if keys:
        print("Registry keys the launcher will look for on a user's machine:")
        for line in keys:
            print(f"  {line}")
    return 1 if checker.problems else 0


if __name__ == "__main__":
    try:
        sys.exit(main(sys.argv[1:]))
    except KeyboardInterrupt:
        sys.exit(2)
