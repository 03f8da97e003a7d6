#!/usr/bin/env python3
"""Checks an installation medium for the launcher without running anything.

  check_medium.py MEDIUM [--registry FILE.reg] [--windows 32|64]
                  [--locale ja|en|LCID] [--code-page 932|1252] [--at WINDOWS_PATH]
                  [--program SETUP_EXE] [--hostwin-reg HOSTWIN_REG]

Lists each problem with the file it concerns, then per language the registry
keys the launcher will look for on a user's machine. With --registry, those
keys are also looked for in that machine's registry (loaded into a scratch
machine), and a copy installed under another name, or an uninstall command
that would start the launcher itself, is a problem. --locale
checks the one road that locale takes (default: both), --code-page reads it as
a system with that ANSI code page does (default: the locale's). The files
the launcher reads are read through the host where a user's medium is (the
root of drive D:, or the folder --at names), whatever folder holds MEDIUM
here; a folder a user may choose is a note per road, the --at folder a
problem when the launcher refuses it. The layout (language
folders, product key prefix, per-user key) is read from the medium's own
Setup.exe when it is a build of this launcher, else from SETUP_EXE. The host
build's tools (by default the repository's, build/host/bin) answer the
questions about files and the registry.
Exit status: 0 no problem, 1 problems, 2 the medium could not be checked.
"""
import argparse
import os
import sys
import tempfile

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))

import config_check  # noqa: E402
import inifile  # noqa: E402
import host_answers  # noqa: E402
import missed_copy  # noqa: E402
from host_answers import HostAnswerError, pe_facts  # noqa: E402
from layout import LayoutError, language_of, read_layout  # noqa: E402
from machine import Machine, MachineError  # noqa: E402
from machine_options import add_machine_options, machine_roads  # noqa: E402
from medium_files import find_entry, is_windows_program, language_resource_files  # noqa: E402
from place import Place, PlaceError, expose, folder_note  # noqa: E402
from views import key_in_view, target_of  # noqa: E402


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

    def check_place(self, roads):
        """The --at folder on each road: the launcher's folder check."""
        for language, _, code_page in roads:
            why = self.place.folder_stop(self.layout.folder(language), code_page)
            if why:
                self.problems.append(f"{self.place.windows}: the launcher cannot use this folder "
                                     f"on the {language} road (an information box): {why}")

    def notes(self, roads):
        return [f"{language}: {folder_note(self.layout.folder(language), code_page)}"
                for language, _, code_page in roads]

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
        machine = self.machine(f"{language}-profile", code_page)
        placed = self.at_place(machine, config)
        reading = config_check.read_config(machine, placed, language, code_page,
                                           machine.directory)
        for finding in reading.findings:
            self.problem(config if finding.path == placed else finding.path, finding.text)
        if reading.name not in (None, b"", b"NoName"):
            self.app_names[language] = (reading.name, code_page)

    def check_language_resources(self):
        for entry in language_resource_files(self.medium):
            path = os.path.join(self.medium, entry)
            try:
                facts = pe_facts(path)
            except HostAnswerError as error:
                self.problem(path, f"language resource file that cannot be read ({error})")
                continue
            if not facts["pe"] or facts["resources"] is None:
                what = "no MZ/PE header" if not facts["pe"] else "a malformed resource directory"
                self.problem(path, f"language resource file that is no readable PE file ({what})")
                continue
            names = {str(r["name"]).upper() for r in facts["resources"] if r["type"] == 10}
            if "TFORMMAIN" not in names:
                self.problem(path, "language resource file without the form description TFORMMAIN "
                                   "(RCDATA): Setup.exe stops with an error where it is chosen")

    def check_registry(self, fixture):
        """Per language, the fixture's earlier copy that the launcher would
        miss or could not remove (missed_copy.py)."""
        for language, (name, code_page) in self.app_names.items():
            machine = self.machine(language, code_page)
            machine.import_fixture(fixture)
            config = os.path.join(find_entry(self.medium, self.layout.folder(language)),
                                  "SETUP.INI")
            for text, _ in missed_copy.missed(machine, self.layout, name, code_page,
                                              self.target.view, self.target.build,
                                              os.path.basename(fixture),
                                              find_entry(self.medium, "Setup.exe"),
                                              {"PATH": ""}):
                self.problem(config, text)

    def keys(self):
        lines = []
        for language, (name, code_page) in self.app_names.items():  # in the roads' order
            shown_name = inifile.show_bytes(name, code_page)
            text = name.decode(f"cp{code_page}", errors="replace")
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
    add_machine_options(parser)
    parser.add_argument("--at", metavar="WINDOWS_PATH",
                        help="where the user's copy of the medium is (default: D:\\, a drive's root)")
    parser.add_argument("--program", default=os.path.join(host_answers.DEFAULT_HOST_BIN, "Setup.exe"),
                        help="the host Setup.exe, for its layout when the medium's Setup.exe "
                             "has none (default: the repository's host build, "
                             "build/host/bin/Setup.exe)")
    parser.add_argument("--hostwin-reg", default=os.path.join(host_answers.DEFAULT_HOST_BIN, "hostwin-reg"),
                        help="the host's hostwin-reg; the other host tools are taken from its "
                             "folder (default: build/host/bin/hostwin-reg)")
    args = parser.parse_args(argv)
    host_answers.use_host_bin(os.path.dirname(os.path.abspath(args.hostwin_reg)))
    try:
        roads = [(language_of(lcid), lcid, page)
                 for lcid, page in machine_roads(args.locale, args.code_page)]
        place = Place(args.at)
    except (MachineError, PlaceError) as error:
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
            checker.check_place(roads)
            for language, _, code_page in roads:
                checker.check_language(language, code_page)
            checker.check_language_resources()
            if args.registry:
                checker.check_registry(os.path.abspath(args.registry))
        except (MachineError, HostAnswerError) as error:
            print(f"check-medium: {error}", file=sys.stderr)
            return 2

    print(f"Medium {medium}")
    print(f"Layout from {source}: folders {layout.japanese_folder}, {layout.english_folder}; "
          f"product key prefix HKLM\\{layout.product_key_prefix}")
    print(f"Program: {target.describe('Setup.exe')}")
    print("Machine: " + "; ".join(f"the {language} road, locale {lcid}, code page {page}"
                                  for language, lcid, page in roads))
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
    for line in checker.notes(roads):
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
