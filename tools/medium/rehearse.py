#!/usr/bin/env python3
"""Rehearses the launcher on a release engineer's own medium.

  rehearse.py MEDIUM [--registry FILE.reg] [--locale ja|en|LCID] [--code-page 932|1252]
              [--uninstaller removes|leaves|fails|hands-off] [--windows 32|64]
              [--at WINDOWS_PATH] [--keep]
              [--wine --wine-programs 32=DIR,64=DIR] [--program SETUP_EXE]
              [--hostwin-reg HOSTWIN_REG]

MEDIUM is only read. Each road (both languages, or the one --locale names)
runs the host Setup.exe (SETUP_EXE, by default the repository's host build,
build/host/bin, whose tools answer the rehearsal's questions) on a scratch copy of what the launcher reads (the
language folders' SETUP.INI files, the language resource files beside
Setup.exe), over a scratch machine loaded with the --registry fixture. The
copy is where a user's medium is: the root of drive D: (a DVD or a mounted
image), or the folder --at names (C:\\..., or another drive). The
medium's setup programs and the registered uninstallers are replaced by
stand-ins that record how they were started (stand_in.py). The run is told
from the host's journal. The medium's Setup.exe decides the program
rehearsed (views.py): a 32-bit program on 64-bit Windows (the default) reads
the 32-bit registry view. With --wine, each road runs the medium's own
Setup.exe under Wine instead (wine_road.py). The layout is the medium's
Setup.exe's; a host Setup.exe with it is built when the host build's differs
(layout_build.py). Each road ends with its verdict: OK, MISSED (its setup
program started over an earlier copy that stays) or STOPPED. Exit status: 0
every road OK, 1 a road MISSED or STOPPED, 2 the rehearsal could not be made.
"""
import argparse
import os
import shutil
import subprocess
import sys
import tempfile

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, HERE)

import host_answers  # noqa: E402
from layout import LayoutError  # noqa: E402
from layout_build import LayoutBuildError, rehearsal_layout  # noqa: E402
from machine import MachineError  # noqa: E402
from machine_options import add_machine_options, machine_roads  # noqa: E402
from medium_files import find_entry  # noqa: E402
from place import Place, PlaceError  # noqa: E402
from road import CannotRehearse, Road  # noqa: E402
from views import target_of  # noqa: E402
from wine_road import WineRoad, loader_refusal, wine_locales_of  # noqa: E402


def prepare_wine(args, roads):
    """The programs a Wine rehearsal runs (the medium's own Setup.exe, or the
    win32 build for a medium whose Setup.exe is no Windows program), the
    POSIX locales the roads' machines need for Wine and the directory of the
    screenshots."""
    bins = dict(part.split("=", 1) for part in args.wine_programs.split(",") if "=" in part)
    args.wine_programs = {}
    for bits in (32, 64):
        wine_dir = os.path.join(os.path.dirname(os.path.abspath(bins.get(str(bits), "."))), "wine")
        args.wine_programs[bits] = wine_dir
    needed = {args.target.windows, args.target.view or 32, args.target.bits}
    for bits in sorted(needed):
        refusal = loader_refusal(bits)
        if refusal:
            raise CannotRehearse(refusal)
        for name in ("window_watch.exe", "window_watch_hook.dll", "stand_in_setup.exe",
                     "stand_in_uninstaller.exe"):
            if not os.path.isfile(os.path.join(args.wine_programs[bits], name)):
                raise CannotRehearse(f"{os.path.join(args.wine_programs[bits], name)}: missing "
                                     f"(./dev build win{bits})")
    own = find_entry(args.medium, "Setup.exe")
    if args.target.assumed:
        own = os.path.join(os.path.abspath(bins.get("32", ".")), "Setup.exe")
        if not os.path.isfile(own):
            raise CannotRehearse(f"{own}: missing (./dev build win32)")
    args.program = own
    args.screenshots = tempfile.mkdtemp(prefix="rehearse-screenshots-")
    args.wine_locales = os.path.abspath(args.wine_locales or os.path.join(args.screenshots, "locales"))
    for name in wine_locales_of(roads):
        if not os.path.isdir(os.path.join(args.wine_locales, name)):
            os.makedirs(args.wine_locales, exist_ok=True)
            subprocess.run(["localedef", "-i", name.split(".")[0], "-f", "UTF-8",
                            os.path.join(args.wine_locales, name)],
                           capture_output=True, check=False)


def main(argv):
    parser = argparse.ArgumentParser(prog="rehearse", description=__doc__.splitlines()[0])
    parser.add_argument("medium")
    parser.add_argument("--registry", help="the user's machine as regedit exports it (.reg)")
    add_machine_options(parser)
    parser.add_argument("--uninstaller", choices=("removes", "leaves", "fails", "hands-off"),
                        default="removes",
                        help="what each registered uninstaller does: removes the earlier copy "
                             "(the default), leaves it, fails, or hands-off (ends at once and "
                             "removes it seconds later from a second process)")
    parser.add_argument("--windows", choices=("32", "64"), default="64",
                        help="the user's Windows: 64-bit (the default) or 32-bit (no registry views)")
    parser.add_argument("--at", metavar="WINDOWS_PATH",
                        help="where the user's copy of the medium is (default: D:\\, a drive's root)")
    parser.add_argument("--keep", action="store_true", help="keep the scratch copy and machine")
    parser.add_argument("--wine", action="store_true",
                        help="run the medium's own Setup.exe under Wine instead of the host build")
    parser.add_argument("--program", default=os.path.join(host_answers.DEFAULT_HOST_BIN, "Setup.exe"),
                        help="the host Setup.exe (default: the repository's host build, "
                             "build/host/bin/Setup.exe)")
    parser.add_argument("--hostwin-reg", default=os.path.join(host_answers.DEFAULT_HOST_BIN, "hostwin-reg"),
                        help="the host's hostwin-reg; the other host tools are taken from its "
                             "folder (default: build/host/bin/hostwin-reg)")
    builds = os.path.join(host_answers.REPOSITORY, "build")
    parser.add_argument("--wine-programs",
                        default=f"32={os.path.join(builds, 'win32', 'bin')},"
                                f"64={os.path.join(builds, 'win64', 'bin')}",
                        help="32=DIR,64=DIR: the builds' bin directories (Setup.exe, and the Wine "
                             "suite's programs in ../wine; default: the repository's win32 and "
                             "win64 builds)")
    parser.add_argument("--wine-locales", help="where the Japanese locale for Wine is made")
    args = parser.parse_args(argv)
    if args.wine and not os.environ.get("REHEARSE_DISPLAY"):
        # Wine makes no window without an X display: a display of our own.
        os.execvp("xvfb-run", ["xvfb-run", "-a", "-s", "-screen 0 1024x768x24", "env",
                               "REHEARSE_DISPLAY=1", sys.executable, os.path.abspath(__file__),
                               *argv])

    args.place = Place(args.at)
    args.program = os.path.abspath(args.program)
    args.hostwin_reg = os.path.abspath(args.hostwin_reg)
    host_answers.use_host_bin(os.path.dirname(args.hostwin_reg))
    for tool in (args.program, args.hostwin_reg):
        if not os.path.isfile(tool):
            raise CannotRehearse(f"{tool}: missing (./dev build host builds it)")
    if not os.path.isdir(args.medium):
        what = "not a directory" if os.path.exists(args.medium) else "no such directory"
        raise CannotRehearse(f"{args.medium}: {what}")
    args.medium = os.path.realpath(args.medium)
    try:
        os.listdir(args.medium)
    except OSError as error:
        raise CannotRehearse(f"{args.medium}: cannot be read ({error.strerror})") from None
    if args.registry:
        try:
            with open(args.registry, "rb") as file:
                file.read(1)
        except OSError as error:
            raise CannotRehearse(f"{args.registry}: cannot be read ({error.strerror})") from None
        args.registry = os.path.abspath(args.registry)
    roads = machine_roads(args.locale, args.code_page)
    args.code_page = roads[0][1] if args.code_page else None
    own = find_entry(args.medium, "Setup.exe")
    args.target = target_of(own, int(args.windows))
    host_program = args.program
    if args.wine:
        prepare_wine(args, roads)  # args.program: the Windows program Wine runs
    try:
        layout, program, layout_lines = rehearsal_layout(
            args.program if args.wine else own, host_program, build=not args.wine)
    except (LayoutError, LayoutBuildError) as error:
        raise CannotRehearse(str(error)) from None
    if not args.wine:
        args.program = program

    scratch = os.path.realpath(tempfile.mkdtemp(prefix="rehearse-"))
    try:
        print(f"Rehearsing {args.medium}")
        print(f"  (on a scratch copy; the medium is not changed; uninstallers: {args.uninstaller})")
        for line in layout_lines:
            print(f"  ({line})")
        program = args.target.describe("the medium's Setup.exe")
        where = "under Wine, with Windows stand-ins" if args.wine else "the host build"
        print(f"  ({program}; run {where})")
        print(f"  (the copy is at {args.place.windows} of the user's machine, the launcher's "
              f"current folder its root, as Explorer starts it)")
        all_ok = True
        for lcid, _ in roads:
            road = (WineRoad if args.wine else Road)(args, layout, lcid, scratch)
            road.run()
            lines, ok = road.account()
            all_ok &= ok
            print()
            print("\n".join(lines))
        if args.keep:
            print(f"\nKept the scratch copies, machines and journals in {scratch}")
        return 0 if all_ok else 1
    finally:
        if not args.keep:
            shutil.rmtree(scratch, ignore_errors=True)


if __name__ == "__main__":
    try:
        sys.exit(main(sys.argv[1:]))
    except (CannotRehearse, MachineError, PlaceError, host_answers.HostAnswerError) as error:
        print(f"rehearse: {error}", file=sys.stderr)
        sys.exit(2)
    except KeyboardInterrupt:
        sys.exit(2)
