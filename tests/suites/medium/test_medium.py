"""The medium tools on media built here: check_medium.py finds each mistake
a release engineer makes, rehearse.py runs the host Setup.exe over a scratch
copy and explains each road, neither changes the medium.

Run by tests/suites/medium.sh after the host build (build/host)."""
import hashlib
import os
import shutil
import struct
import subprocess
import sys
import tempfile
import unittest

ROOT = os.path.abspath(os.path.join(os.path.dirname(__file__), "..", "..", ".."))
BIN = os.path.join(ROOT, "build", "host", "bin")
SETUP = os.path.join(BIN, "Setup.exe")
OTHER_LAYOUT_SETUP = os.path.join(BIN, "other-layout", "Setup.exe")
HOSTWIN_REG = os.path.join(BIN, "hostwin-reg")
RELEASE_SETUP = os.path.join(ROOT, "build", "win32", "bin", "Setup.exe")
WIN64_SETUP = os.path.join(ROOT, "build", "win64", "bin", "Setup.exe")
WINE_PROGRAMS = [os.path.join(ROOT, "build", build, "wine", name) for build in ("win32", "win64")
                 for name in ("window_watch.exe", "stand_in_setup.exe", "stand_in_uninstaller.exe")]
TEST_PE_DIR = os.path.join(ROOT, "build", "host", "tests", "pe")
TOOLS = os.path.join(ROOT, "tools", "medium")

PRODUCT = "SOLVENTRA 2"
VENDOR = "SOFTWARE\\QUORVANTIX\\"
ACME = "SOFTWARE\\ACME\\"
UNINSTALL = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\"
JAPANESE_NAME = "ソルベントラ"
USER_KEY = "Software\\QUORVANTIX\\SOLVENTRA\\Data"


def windows_program(bits=None):
    """The smallest file the tools take for a Windows program: MZ, then PE;
    with bits, the machine and optional header of a 32- or 64-bit program."""
    data = bytearray(0x100)
    data[0:2] = b"MZ"
    struct.pack_into("<I", data, 0x3C, 0x80)
    data[0x80:0x84] = b"PE\0\0"
    if bits:
        struct.pack_into("<H", data, 0x84, 0x14C if bits == 32 else 0x8664)
        struct.pack_into("<H", data, 0x98, 0x10B if bits == 32 else 0x20B)
    return bytes(data)


def in_view(key, view=32):
    """How the tools name HKLM\\key in a registry view."""
    if view is None:
        return f"HKLM\\{key}, in the registry of 32-bit Windows"
    if view == 64:
        return f"HKLM\\{key}, in the 64-bit view"
    stored = key.replace("SOFTWARE", "SOFTWARE\\WOW6432Node", 1)
    return f"HKLM\\{key}, in the 32-bit view (regedit: HKLM\\{stored})"


def ini(name, key="AppName"):
    return f"[Startup]\r\n{key}={name}\r\n".encode("ascii")


def make_medium(parent, name="SOLVENTRA medium", folders=("Inst_Japanese", "Inst_English"),
                configs=None, launcher=None, bits=None):
    """A medium: the launcher at its root (a Windows program, or the file
    launcher), per folder a SETUP.INI naming the product and a setup program."""
    medium = os.path.join(parent, name)
    os.makedirs(medium)
    if launcher:
        shutil.copyfile(launcher, os.path.join(medium, "Setup.exe"))
    else:
        with open(os.path.join(medium, "Setup.exe"), "wb") as file:
            file.write(windows_program(bits))
    for index, folder in enumerate(folders):
        os.makedirs(os.path.join(medium, folder))
        config = (configs or {}).get(index, ini(PRODUCT))
        with open(os.path.join(medium, folder, "SETUP.INI"), "wb") as file:
            file.write(config)
        with open(os.path.join(medium, folder, "Setup.exe"), "wb") as file:
            file.write(windows_program())
    return medium


INNO_COMMAND = '"C:\\Program Files\\QUORVANTIX\\unins000.exe" /SILENT'


def earlier_copy(name=PRODUCT, vendor="QUORVANTIX", user_key="Software\\QUORVANTIX\\SOLVENTRA\\Data",
                 views=(32,), command=INNO_COMMAND):
    """Registry lines of a machine with an earlier copy and its per-user key,
    as regedit on 64-bit Windows exports them: a 32-bit installer's keys (the
    32-bit view) under WOW6432Node, a 64-bit one's (or 32-bit Windows', view
    None) in place."""
    lines = []
    for view in views:
        software = "SOFTWARE\\WOW6432Node" if view == 32 else "SOFTWARE"
        lines += [f"[HKEY_LOCAL_MACHINE\\{software}\\{vendor}\\{name}]", '"Version"="1.0"', "",
                  f"[HKEY_LOCAL_MACHINE\\{software}{UNINSTALL[8:]}{name}]",
                  '"UninstallString"=' + reg_text(command), ""]
    return lines + [f"[HKEY_CURRENT_USER\\{user_key}]", '@="cached settings"', ""]


def reg_text(text):
    """A string as a .reg file writes it: quoted, backslashes and quotes escaped."""
    return '"' + text.replace("\\", "\\\\").replace('"', '\\"') + '"'


def write_fixture(path, lines, kind="regedit"):
    """regedit's export (UTF-16LE with its mark), REGEDIT4 (ANSI) or UTF-8."""
    if kind == "regedit":
        data = ("\ufeffWindows Registry Editor Version 5.00\r\n\r\n" + "\r\n".join(lines)).encode("utf-16-le")
    elif kind == "regedit4":
        data = ("REGEDIT4\r\n\r\n" + "\r\n".join(lines)).encode("cp1252")
    else:
        data = ("Windows Registry Editor Version 5.00\n\n" + "\n".join(lines)).encode("utf-8")
    with open(path, "wb") as file:
        file.write(data)
    return path


def digest(tree):
    """Names, modes and contents of everything under tree."""
    result = hashlib.sha256()
    for directory, subdirectories, files in sorted(os.walk(tree)):
        subdirectories.sort()
        for name in sorted(files) + subdirectories:
            path = os.path.join(directory, name)
            info = os.lstat(path)
            result.update(f"{os.path.relpath(path, tree)}:{info.st_mode}:{info.st_mtime_ns}".encode())
            if os.path.isfile(path) and not os.path.islink(path):
                with open(path, "rb") as file:
                    result.update(file.read())
    return result.hexdigest()


class MediumCase(unittest.TestCase):
    def setUp(self):
        self.work = tempfile.mkdtemp(prefix="medium-test-")
        self.addCleanup(shutil.rmtree, self.work, True)

    def tool(self, name, *args, program=SETUP):
        extra = ["--hostwin-reg", HOSTWIN_REG, "--wine-locales", os.path.join(ROOT, "build", "wine-locales"),
                 "--wine-programs", f"32={os.path.dirname(RELEASE_SETUP)},64={os.path.dirname(WIN64_SETUP)}"] \
            if name == "rehearse" else ["--hostwin-reg", HOSTWIN_REG]
        done = subprocess.run([sys.executable, os.path.join(TOOLS, name + ".py"), *args,
                               "--program", program, *extra],
                              capture_output=True, text=True, check=False, cwd=self.work)
        self.assertNotIn("Traceback", done.stderr)
        return done

    def rehearse(self, medium, *args, program=SETUP):
        """Rehearses and checks that the medium is left as it was."""
        before = digest(medium)
        done = self.tool("rehearse", medium, *args, program=program)
        self.assertEqual(digest(medium), before, "the rehearsal changed the medium")
        return done

    def assertLines(self, output, *expected):
        for text in expected:
            self.assertIn(text, output)

    def assertCannot(self, done, *expected):
        """Status 2 and one line on standard error."""
        self.assertEqual(done.returncode, 2, done.stdout + done.stderr)
        self.assertEqual(len(done.stderr.strip().splitlines()), 1, done.stderr)
        self.assertLines(done.stderr, *expected)


class CheckMediumTest(MediumCase):
    def check(self, medium, *args):
        return self.tool("check_medium", medium, *args)

    def test_a_sound_medium_has_no_problem_and_lists_the_keys_to_compare(self):
        # Windows reads a UTF-16LE profile file with its mark as Unicode.
        for index, encoding in enumerate(("cp932", "utf-16")):
            with self.subTest(encoding):
                config = f"[Startup]\r\nAppName={JAPANESE_NAME}\r\n".encode(encoding)
                medium = make_medium(self.work, name=f"medium {index}", configs={0: config})
                # Names are compared as Windows compares them: without regard to case.
                os.rename(os.path.join(medium, "Inst_English"), os.path.join(medium, "inst_english"))
                os.rename(os.path.join(medium, "inst_english", "SETUP.INI"),
                          os.path.join(medium, "inst_english", "setup.ini"))
                # No locale's abbreviation is INI or ICO: ordinary files, not language resources.
                for name in ("Setup.INI", "Setup.ico"):
                    with open(os.path.join(medium, name), "wb") as file:
                        file.write(b"[autorun]\r\n")
                done = self.check(medium)
                self.assertEqual(done.returncode, 0, done.stdout)
                self.assertLines(done.stdout, "No problem found.",
                                 f"Japanese (AppName \"{JAPANESE_NAME}\")",
                                 in_view(f"SOFTWARE\\QUORVANTIX\\{JAPANESE_NAME}"),
                                 f"{in_view(UNINSTALL + PRODUCT)}    value UninstallString",
                                 "HKCU\\Software\\QUORVANTIX\\SOLVENTRA\\Data",
                                 "Read at D:\\ of a user's machine",
                                 "English: a user who copies the medium into a folder of their own "
                                 "may use at most 236 characters",
                                 "Japanese: a user who copies the medium into a folder of their own "
                                 "may use at most 235 characters")

    def test_each_mistake_is_reported_with_the_file_it_concerns(self):
        def remove(path):
            return lambda medium: os.remove(os.path.join(medium, path))

        def write(path, data):
            def change(medium):
                with open(os.path.join(medium, path), "wb") as file:
                    file.write(data)
            return change

        japanese = f"[Startup]\r\nAppName={JAPANESE_NAME}\r\n"
        cases = [
            ("SETUP.INI missing", remove("Inst_English/SETUP.INI"),
             "Inst_English\\SETUP.INI: missing"),
            ("AppName misspelt", write("Inst_English/SETUP.INI", ini(PRODUCT, key="AppNmae")),
             "Inst_English\\SETUP.INI: no [Startup] AppName (found AppNmae"),
            ("folder misspelt", lambda m: os.rename(os.path.join(m, "Inst_English"),
                                                    os.path.join(m, "Inst_Englsh")),
             "Inst_English: English folder missing (found Inst_Englsh"),
            ("UTF-16BE", write("Inst_Japanese/SETUP.INI", japanese.encode("utf-16-be")),
             "Inst_Japanese\\SETUP.INI: is UTF-16 without a byte-order mark"),
            ("UTF-16BE with its mark", write("Inst_Japanese/SETUP.INI", "\ufeff".join(["", japanese]).encode("utf-16-be")),
             "Inst_Japanese\\SETUP.INI: is UTF-16BE: Windows documents Unicode profile files as UTF-16LE"),
            ("UTF-16LE with a character Shift-JIS lacks",
             write("Inst_Japanese/SETUP.INI", japanese.replace("AppName=", "AppName=\u00e9").encode("utf-16")),
             "Inst_Japanese\\SETUP.INI: is UTF-16LE with characters that code page 932 does not have"),
            ("UTF-8", write("Inst_Japanese/SETUP.INI", japanese.encode("utf-8")),
             "Inst_Japanese\\SETUP.INI: is UTF-8, not Shift-JIS"),
            ("UTF-8 with its mark", write("Inst_Japanese/SETUP.INI", japanese.encode("utf-8-sig")),
             "Inst_Japanese\\SETUP.INI: is UTF-8 with a byte-order mark"),
            ("English SETUP.INI with a Japanese comment",
             write("Inst_English/SETUP.INI", "; ソフト\r\n".encode("cp932") + ini(PRODUCT)),
             "Inst_English\\SETUP.INI: has bytes outside ASCII (line 1)"),
            ("English AppName in UTF-8", write("Inst_English/SETUP.INI", "[Startup]\r\nAppName=Café\r\n".encode()),
             "AppName 43 61 66 c3 a9 is UTF-8 for \"Café\", but the English road reads it in code page "
             "1252 as \"CafÃ©\""),
            ("NoName", write("Inst_English/SETUP.INI", ini("NoName")), "AppName is \"NoName\""),
            ("empty name", write("Inst_English/SETUP.INI", ini("")), "AppName is empty"),
            ("setup program missing", remove("Inst_English/Setup.exe"),
             "Inst_English\\Setup.exe: English setup program missing"),
            ("not a program", write("Inst_Japanese/Setup.exe", b"#!/bin/sh\n"),
             "Inst_Japanese\\Setup.exe: not a Windows program (no MZ/PE header)"),
        ]
        for index, (what, change, expected) in enumerate(cases):
            with self.subTest(what):
                medium = make_medium(self.work, name=f"medium {index}")
                change(medium)
                done = self.check(medium)
                self.assertEqual(done.returncode, 1, done.stdout)
                self.assertIn(expected, done.stdout)

    def test_a_copy_installed_under_another_name_is_reported_against_a_fixture(self):
        medium = make_medium(self.work)
        fixture = write_fixture(os.path.join(self.work, "machine.reg"), earlier_copy("SOLVENTRA2"))
        done = self.tool("check_medium", medium, "--registry", fixture)
        self.assertEqual(done.returncode, 1, done.stdout)
        self.assertIn(f"Inst_English\\SETUP.INI: AppName \"{PRODUCT}\": the product key "
                      f"{in_view(VENDOR + PRODUCT)} is not in machine.reg (it has "
                      "SOLVENTRA2: the names must be equal; position 10: the name has U+0020 SPACE, the key has "
                      "none)", done.stdout)
        sound = write_fixture(os.path.join(self.work, "sound.reg"), earlier_copy())
        self.assertEqual(self.tool("check_medium", medium, "--registry", sound).returncode, 0)
        # Written by a 64-bit installer: the 32-bit launcher looks in the other view.
        other = write_fixture(os.path.join(self.work, "other.reg"), earlier_copy(views=(64,)))
        done = self.tool("check_medium", medium, "--registry", other)
        self.assertEqual(done.returncode, 1, done.stdout)
        self.assertIn("it is in the 64-bit view (regedit: HKLM\\SOFTWARE\\QUORVANTIX\\SOLVENTRA 2), where "
                      "a 64-bit installer writes it: the win32 build will not see it; the win64 build "
                      "would", done.stdout)

    @unittest.skipUnless(os.path.exists(os.path.join(TEST_PE_DIR, "language_bare.dll")),
                         "the test resource libraries are built with the MinGW tools")
    def test_a_language_resource_file_needs_the_main_form(self):
        medium = make_medium(self.work)
        shutil.copyfile(os.path.join(TEST_PE_DIR, "language_bare.dll"), os.path.join(medium, "Setup.ENU"))
        shutil.copyfile(os.path.join(TEST_PE_DIR, "language_full.dll"), os.path.join(medium, "Setup.JPN"))
        done = self.check(medium)
        self.assertEqual(done.returncode, 1, done.stdout)
        self.assertIn("Setup.ENU: language resource file without the form description TFORMMAIN",
                      done.stdout)
        self.assertNotIn("Setup.JPN", done.stdout)

    def test_the_layout_comes_from_the_mediums_own_launcher(self):
        medium = make_medium(self.work, folders=("Japanese", "English"), launcher=OTHER_LAYOUT_SETUP)
        done = self.check(medium)
        # The host program is no Windows program, which is the one problem.
        self.assertIn("Setup.exe: not a Windows program", done.stdout)
        self.assertLines(done.stdout, "folders Japanese, English",
                         f"HKLM\\SOFTWARE\\ACME\\{PRODUCT}", "HKCU\\Software\\ACME\\Widget\\Cache")
        self.assertNotIn("folder missing", done.stdout)

    @unittest.skipUnless(os.path.exists(RELEASE_SETUP), "the win32 build is not there")
    def test_the_release_program_carries_its_layout(self):
        medium = make_medium(self.work, launcher=RELEASE_SETUP)
        done = self.check(medium)
        self.assertEqual(done.returncode, 0, done.stdout)
        self.assertIn(f"Layout from {os.path.join(medium, 'Setup.exe')}: folders Inst_Japanese, "
                      "Inst_English; product key prefix HKLM\\SOFTWARE\\QUORVANTIX\\", done.stdout)

    def test_the_machine_options_choose_the_road_and_its_code_page(self):
        medium = make_medium(self.work, folders=("Inst_Japanese",),
                             configs={0: f"[Startup]\r\nAppName={JAPANESE_NAME}\r\n".encode("cp932")})
        # The English road is not this machine's: its missing folder is no
        # problem; code page 1252 reads the Shift-JIS name as other text.
        for code_page, name, status in (("932", JAPANESE_NAME, 0),
                                         ("1252", JAPANESE_NAME.encode("cp932").decode("cp1252"), 1)):
            with self.subTest(code_page):
                done = self.tool("check_medium", medium, "--locale", "ja", "--code-page", code_page)
                self.assertEqual(done.returncode, status, done.stdout)
                self.assertNotIn("English folder missing", done.stdout)
                self.assertLines(done.stdout, f"Machine: the Japanese road, locale 1041, code page {code_page}",
                                 f"  {in_view(VENDOR + name)}    (the product's installer writes it)")

    def test_what_cannot_be_checked(self):
        self.assertCannot(self.check(os.path.join(self.work, "no medium")), "no medium: no such directory")
        medium = make_medium(self.work)
        self.assertCannot(self.check(medium, "--code-page", "1250"),
                          "--code-page 1250: the machines of these tools have code page 932")
        for place in ("Z:\\media", "media", "\\\\server\\share"):
            with self.subTest(place):
                self.assertCannot(self.check(medium, "--at", place), f"--at {place}")


class RehearseTest(MediumCase):
    def test_a_japanese_folder_of_the_user_is_reachable_only_on_the_japanese_road(self):
        medium = make_medium(self.work)
        # The uninstaller is looked up from a folder the English road cannot name.
        fixture = write_fixture(os.path.join(self.work, "machine.reg"), earlier_copy())
        done = self.rehearse(medium, "--registry", fixture, "--at", "C:\\Users\\ユーザー\\メディア one")
        self.assertEqual(done.returncode, 1, done.stdout)
        self.assertLines(done.stdout, "(the copy is at C:\\Users\\ユーザー\\メディア one of the user's machine",
                         "1. Looked for Inst_Japanese\\SETUP.INI beside Setup.exe: found",
                         "the stand-in recorded: command line Inst_Japanese\\Setup.exe, current "
                         "directory the medium's root",
                         "OK: Japanese setup program started",
                         "note: a user who copies the medium into a folder of their own may use at "
                         "most 236 characters for it (drive included, as in C:\\Users\\...\\Product) and "
                         "only characters of code page 1252",
                         "STOPPED: Setup.exe cannot use the medium's folder path (an information "
                         "box): the folder C:\\Users\\ユーザー\\メディア one has \"ユ\", which code "
                         "page 1252 lacks")

    def test_both_roads_over_a_regedit_export_remove_the_earlier_copy_and_start_setup(self):
        medium = make_medium(self.work)  # a blank in the path
        fixture = write_fixture(os.path.join(self.work, "machine.reg"), earlier_copy())
        done = self.rehearse(medium, "--registry", fixture)
        self.assertEqual(done.returncode, 0, done.stdout + done.stderr)
        out = done.stdout
        self.assertLines(out, "layout: folders Inst_Japanese and Inst_English, product key prefix "
                         "HKLM\\SOFTWARE\\QUORVANTIX\\, per-user key HKCU\\Software\\QUORVANTIX\\"
                         "SOLVENTRA\\Data, the host build's (the medium's Setup.exe carries no medium "
                         "layout record",
                         "== Japanese road: locale 1041, code page 932",
                         "== English road: locale 1033, code page 1252",
                         "1. Looked for Inst_English\\SETUP.INI beside Setup.exe: found",
                         f"2. Read [Startup] AppName from Inst_English\\SETUP.INI: \"{PRODUCT}\"",
                         f"3. product key {in_view(VENDOR + PRODUCT)}: exists",
                         f"4. uninstall entry {in_view(UNINSTALL + PRODUCT)}: exists",
                         "5. Started the uninstaller and waited for it: "
                         "\"C:\\Program Files\\QUORVANTIX\\unins000.exe\" /SILENT",
                         f"the uninstaller stand-in deleted HKLM\\SOFTWARE\\WOW6432Node\\QUORVANTIX\\{PRODUCT}",
                         f"6. Re-check, product key {in_view(VENDOR + PRODUCT)}: not there",
                         "7. Per-user key HKCU\\Software\\QUORVANTIX\\SOLVENTRA\\Data: deleted",
                         "8. Started Inst_Japanese\\Setup.exe with show command 1",
                         "the stand-in recorded: command line Inst_English\\Setup.exe, current "
                         "directory the medium's root, show command 1",
                         "OK: Japanese setup program started", "OK: English setup program started")
        self.assertEqual(out.strip().splitlines()[-1], "OK: English setup program started")

    def test_a_regedit4_fixture_is_read(self):
        medium = make_medium(self.work)
        fixture = write_fixture(os.path.join(self.work, "machine.reg"), earlier_copy(), "regedit4")
        done = self.rehearse(medium, "--registry", fixture, "--locale", "en")
        self.assertEqual(done.returncode, 0, done.stdout + done.stderr)
        self.assertIn(f"3. product key {in_view(VENDOR + PRODUCT)}: exists", done.stdout)
        self.assertNotIn("Japanese road", done.stdout)

    def test_each_configuration_mistake_is_explained(self):
        japanese = f"[Startup]\r\nAppName={JAPANESE_NAME}\r\n"
        cases = [
            ("SETUP.INI missing", "en", lambda m: os.remove(os.path.join(m, "Inst_English", "SETUP.INI")),
             ["1. Looked for Inst_English\\SETUP.INI beside Setup.exe: not found",
              "STOPPED: Inst_English\\SETUP.INI not found beside Setup.exe"]),
            ("folder misspelt", "en", lambda m: os.rename(os.path.join(m, "Inst_English"),
                                                          os.path.join(m, "Inst_Englsh")),
             ["not found (there is no folder Inst_English)", "STOPPED: Inst_English\\SETUP.INI"]),
            ("AppName misspelt", "en", self.writer("Inst_English/SETUP.INI", ini(PRODUCT, key="AppNmae")),
             ["no such entry, the default \"NoName\" came back",
              "STOPPED: no [Startup] AppName in Inst_English\\SETUP.INI (it has AppNmae"]),
            ("UTF-16 without its mark", "ja", self.writer("Inst_Japanese/SETUP.INI", japanese.encode("utf-16-le")),
             ["STOPPED: no [Startup] AppName in Inst_Japanese\\SETUP.INI (the file is UTF-16 without a "
              "byte-order mark"]),
        ]
        for index, (what, locale, change, expected) in enumerate(cases):
            with self.subTest(what):
                medium = make_medium(self.work, name=f"medium {index}")
                change(medium)
                done = self.rehearse(medium, "--locale", locale)
                self.assertEqual(done.returncode, 1, done.stdout)
                self.assertLines(done.stdout, "Setup.exe ended with exit status 0", *expected)

    def writer(self, path, data):
        def change(medium):
            with open(os.path.join(medium, path), "wb") as file:
                file.write(data)
        return change

    def test_a_utf16_japanese_name_is_read_as_shift_jis_and_finds_the_earlier_copy(self):
        medium = make_medium(self.work, configs={0: f"[Startup]\r\nAppName={JAPANESE_NAME}\r\n".encode("utf-16")})
        fixture = write_fixture(os.path.join(self.work, "machine.reg"), earlier_copy(JAPANESE_NAME))
        done = self.rehearse(medium, "--registry", fixture, "--locale", "ja")
        self.assertLines(done.stdout, f"Read [Startup] AppName from Inst_Japanese\\SETUP.INI: \"{JAPANESE_NAME}\"",
                         f"3. product key {in_view(VENDOR + JAPANESE_NAME)}: exists",
                         "OK: Japanese setup program started")
        self.assertNotIn("note: Inst_Japanese\\SETUP.INI", done.stdout)

    def test_a_utf8_japanese_name_is_shown_as_bytes_and_finds_no_earlier_copy(self):
        medium = make_medium(self.work, configs={0: f"[Startup]\r\nAppName={JAPANESE_NAME}\r\n".encode()})
        fixture = write_fixture(os.path.join(self.work, "machine.reg"), earlier_copy(JAPANESE_NAME))
        done = self.rehearse(medium, "--registry", fixture, "--locale", "ja")
        self.assertLines(done.stdout, f"which are UTF-8 for \"{JAPANESE_NAME}\"",
                         "note: Inst_Japanese\\SETUP.INI: is UTF-8, not Shift-JIS",
                         ": not there", "so there is no earlier copy to remove",
                         f"note: the machine has the product key HKLM\\SOFTWARE\\QUORVANTIX\\{JAPANESE_NAME}: "
                         "that is the AppName read as UTF-8",
                         "MISSED: Japanese setup program started, but the earlier copy stays installed",
                         f"(it has {JAPANESE_NAME}, the AppName's bytes read as UTF-8: the launcher reads "
                         "them in code page 932)")
        self.assertNotIn("Started the uninstaller", done.stdout)

    def test_an_appname_one_letter_off_the_installed_copy_is_pointed_out(self):
        medium = make_medium(self.work)
        fixture = write_fixture(os.path.join(self.work, "machine.reg"), earlier_copy("SOLVENTRA2"))
        done = self.rehearse(medium, "--registry", fixture, "--locale", "en")
        self.assertEqual(done.returncode, 1, done.stdout)
        self.assertLines(done.stdout, f"3. product key {in_view(VENDOR + PRODUCT)}: not there",
                         "note: the machine has the product key HKLM\\SOFTWARE\\QUORVANTIX\\SOLVENTRA2, "
                         f"which is not the AppName \"{PRODUCT}\" (position 10: the name has U+0020 SPACE, "
                         "the key has none)",
                         "MISSED: English setup program started, but the earlier copy stays installed: "
                         f"AppName \"{PRODUCT}\": the product key {in_view(VENDOR + PRODUCT)} is not in "
                         "machine.reg (it has SOLVENTRA2: the names must be equal;")

    def test_an_uninstaller_that_leaves_the_copy_or_fails_stops_the_road_with_a_box(self):
        medium = make_medium(self.work)
        fixture = write_fixture(os.path.join(self.work, "machine.reg"), earlier_copy())
        for mode in ("leaves", "fails", "hands-off"):
            with self.subTest(mode):
                done = self.rehearse(medium, "--registry", fixture, "--uninstaller", mode)
                self.assertEqual(done.returncode, 1, done.stdout)
                self.assertLines(done.stdout, f"told to: {mode}",
                                 f"6. Re-check, product key {in_view(VENDOR + PRODUCT)}: exists",
                                 "caption \"Information\": \"Please uninstall old software.\"",
                                 "STOPPED: the earlier copy was still installed after its uninstaller had run")
                self.assertNotIn("OK:", done.stdout)
        # The second process removed the copy after the box, before the account.
        self.assertLines(done.stdout, "the uninstaller's second process deleted HKLM\\SOFTWARE\\WOW6432Node"
                         f"\\QUORVANTIX\\{PRODUCT}", "the second process removed the copy")

    # (what, UninstallString, expected lines): the stand-in goes where the
    # host's lookup finds the program, or the account says why there is none.
    UNINSTALL_COMMAND_CASES = [
        ("a tab before the arguments", "C:\\Acme\\unins000.exe\t/SILENT",
         ["the program it started: C:\\Acme\\unins000.exe", "told to: removes",
          "OK: English setup program started"]),
        ("blanks in the folder, a name without .exe", "C:\\Program Files\\Acme\\remove /x",
         ["the program it started: C:\\Program Files\\Acme\\remove.exe", "told to: removes",
          "OK: English setup program started"]),
        ("a name without a folder", "acmeuninst /x",
         ["the program it started: C:\\windows\\system32\\acmeuninst.exe", "told to: removes",
          "OK: English setup program started"]),
        ("a name this system has on its PATH", "true /x",
         ["the program it started: C:\\windows\\system32\\true.exe", "told to: removes"]),
        ("the launcher itself", "Setup.exe /uninstall",
         ["note: the uninstall entry SOLVENTRA 2 has the command Setup.exe /uninstall, which starts "
          "the launcher itself", "\"This software failed to uninstall.\"",
          "STOPPED: the uninstaller could not be run"]),
        ("another drive", "E:\\Uninstall\\unins000.exe /SILENT",
         ["which names no place on the rehearsal machine", "STOPPED: the uninstaller could not be run"]),
    ]

    def test_the_uninstaller_stand_in_is_where_the_host_finds_the_program(self):
        medium = make_medium(self.work)
        for index, (what, command, expected) in enumerate(self.UNINSTALL_COMMAND_CASES):
            with self.subTest(what):
                fixture = write_fixture(os.path.join(self.work, f"machine {index}.reg"),
                                        earlier_copy(command=command))
                done = self.rehearse(medium, "--registry", fixture, "--locale", "en")
                self.assertLines(done.stdout, *expected)

    def test_a_setup_program_that_is_no_windows_program_cannot_be_started(self):
        medium = make_medium(self.work)
        self.writer("Inst_English/Setup.exe", b"@echo off\r\n")(medium)
        done = self.rehearse(medium, "--locale", "1033")
        self.assertEqual(done.returncode, 1, done.stdout)
        self.assertLines(done.stdout, "5. Could not start Inst_English\\Setup.exe: not a program",
                         "STOPPED: Inst_English\\Setup.exe could not be started: not a program")

    def test_symbolic_links_to_the_medium_and_its_programs_are_followed(self):
        medium = make_medium(self.work)
        elsewhere = os.path.join(self.work, "real-setup.exe")
        os.rename(os.path.join(medium, "Inst_English", "Setup.exe"), elsewhere)
        os.symlink(elsewhere, os.path.join(medium, "Inst_English", "Setup.exe"))
        link = os.path.join(self.work, "link to medium")
        os.symlink(medium, link)
        done = self.rehearse(link, "--locale", "en")
        self.assertEqual(done.returncode, 0, done.stdout)
        self.assertIn("OK: English setup program started", done.stdout)

    def test_a_launcher_built_with_another_layout_looks_for_its_own_keys(self):
        # The host build has the default layout: the rehearsal builds one with the medium's.
        medium = make_medium(self.work, folders=("Japanese", "English"), launcher=OTHER_LAYOUT_SETUP)
        fixture = write_fixture(os.path.join(self.work, "machine.reg"),
                                earlier_copy(vendor="ACME", user_key="Software\\ACME\\Widget\\Cache"))
        done = self.rehearse(medium, "--registry", fixture)
        self.assertEqual(done.returncode, 0, done.stdout + done.stderr)
        self.assertLines(done.stdout, "product key prefix HKLM\\SOFTWARE\\ACME\\, per-user key "
                         "HKCU\\Software\\ACME\\Widget\\Cache, from the medium's Setup.exe",
                         "the host build has another layout (folders Inst_Japanese and Inst_English",
                         "rehearsing with a host Setup.exe built with the medium's layout in",
                         "1. Looked for English\\SETUP.INI beside Setup.exe: found",
                         f"3. product key {in_view(ACME + PRODUCT)}: exists",
                         f"the uninstaller stand-in deleted HKLM\\SOFTWARE\\WOW6432Node\\ACME\\{PRODUCT}",
                         "7. Per-user key HKCU\\Software\\ACME\\Widget\\Cache: deleted",
                         "8. Started Japanese\\Setup.exe", "OK: English setup program started")

    # (what, the medium's Setup.exe, --windows, the installer's views, expected lines, status)
    VIEW_CASES = [
        ("a 64-bit installer's keys, the win32 build", 32, "64", (64,),
         [f"3. product key {in_view(VENDOR + PRODUCT)}: not there",
          f"note: the product key HKLM\\{VENDOR}{PRODUCT} is only in the 64-bit view "
          f"(regedit: HKLM\\{VENDOR}{PRODUCT}), where a 64-bit installer writes it: this launcher, "
          "the win32 build, will not see it; the win64 build would",
          "MISSED: English setup program started, but the earlier copy stays installed: AppName "
          f"\"{PRODUCT}\": the product key {in_view(VENDOR + PRODUCT)} is not in machine 0.reg; it is "
          "in the 64-bit view"], 1),
        ("a 32-bit installer's keys, the win64 build", 64, "64", (32,),
         [f"3. product key {in_view(VENDOR + PRODUCT, 64)}: not there",
          "where a 32-bit installer writes it: this launcher, the win64 build, will not see it; "
          "the win32 build would", "MISSED: English setup program started, but the earlier copy "
          "stays installed"], 1),
        ("keys in both views, the win32 build", 32, "64", (32, 64),
         [f"3. product key {in_view(VENDOR + PRODUCT)}: exists",
          f"the uninstaller stand-in deleted HKLM\\SOFTWARE\\WOW6432Node\\QUORVANTIX\\{PRODUCT}",
          f"6. Re-check, product key {in_view(VENDOR + PRODUCT)}: not there",
          "OK: English setup program started"], 0),
        ("32-bit Windows", 32, "32", (None,),
         [f"3. product key {in_view(VENDOR + PRODUCT, None)}: exists",
          f"the uninstaller stand-in deleted HKLM\\{VENDOR}{PRODUCT}",
          "OK: English setup program started"], 0),
        ("the win64 build on 32-bit Windows", 64, "32", (None,),
         ["STOPPED: Setup.exe is a 64-bit Windows program (the win64 build): 32-bit Windows "
          "cannot run it; ship the win32 build"], 1),
    ]

    def test_the_program_on_the_medium_reads_the_view_of_its_bitness(self):
        for index, (what, bits, windows, views, expected, status) in enumerate(self.VIEW_CASES):
            with self.subTest(what):
                medium = make_medium(self.work, name=f"medium {index}", bits=bits)
                fixture = write_fixture(os.path.join(self.work, f"machine {index}.reg"),
                                        earlier_copy(views=views))
                done = self.rehearse(medium, "--registry", fixture, "--locale", "en",
                                     "--windows", windows)
                self.assertEqual(done.returncode, status, done.stdout)
                self.assertLines(done.stdout, *expected)

    def test_what_cannot_be_rehearsed_is_said_in_one_line(self):
        medium = make_medium(self.work)
        bad_line = write_fixture(os.path.join(self.work, "bad line.reg"),
                                 ["[HKEY_LOCAL_MACHINE\\SOFTWARE\\X]", '"Number"=dword:xyz'], "utf-8")
        bad_root = write_fixture(os.path.join(self.work, "bad root.reg"),
                                 ["[HKEY_NOWHERE\\Software\\X]", '"A"="b"'], "utf-8")
        self.assertCannot(self.rehearse(os.path.join(self.work, "missing"), "--locale", "en"),
                          "missing: no such directory")
        self.assertCannot(self.rehearse(medium, "--registry", bad_line), "bad line.reg", "4")
        self.assertCannot(self.rehearse(medium, "--registry", bad_root), "bad root.reg")
        self.assertCannot(self.rehearse(medium, "--registry", self.work), "cannot be read")
        self.assertCannot(self.rehearse(medium, "--locale", "fr"), "--locale fr")
        self.assertCannot(self.rehearse(medium, "--code-page", "65001"), "--code-page 65001")


def roads(suite):
    """The rows of the launcher's roads table (tests/roads/roads.tsv) that
    name the suite, as dicts of its columns."""
    with open(os.path.join(ROOT, "tests", "roads", "roads.tsv"), encoding="utf-8") as file:
        rows = [line.rstrip("\n").split("\t") for line in file if not line.startswith("#")]
    return [row for row in (dict(zip(rows[0], cells)) for cells in rows[1:])
            if suite in row["suites"].split(",")]


class RoadTableTest(MediumCase):
    """The roads of the table that the rehearsal can set up: its account tells
    the outcome the host and Wine suites check."""

    # The table's copy kinds as UninstallString data, its user_key kinds as
    # the key's lines and the account's word for what became of it.
    COPIES = {"removes": reg_text(INNO_COMMAND), "keeps": reg_text(INNO_COMMAND),
              "launcher-itself": reg_text("Setup.exe /uninstall"), "dword": "dword:0000002a"}
    USER_KEYS = {"none": ([], "not there, nothing to delete"),
                 "usual": (['@="cache"', '"A"="1"', ""], "deleted"),
                 "subkey": (['@="cache"', '"A"="1"', "", f"[HKEY_CURRENT_USER\\{USER_KEY}\\Sub]", ""],
                            "left (error 5): it has subkeys")}

    def test_each_road_ends_as_the_table_says(self):
        for index, road in enumerate(roads("medium")):
            with self.subTest(road["road"]):
                language = "Japanese" if road["locale"] == "1041" else "English"
                medium = make_medium(self.work, name=f"medium {index}")
                if road["config"] == "other-only":
                    os.remove(os.path.join(medium, f"Inst_{language}", "SETUP.INI"))
                lines, user_key_end = self.USER_KEYS[road["user_key"]]
                if road["user_key"] != "none":
                    lines = [f"[HKEY_CURRENT_USER\\{USER_KEY}]"] + lines
                if road["copy"] != "none":
                    lines += [f"[HKEY_LOCAL_MACHINE\\SOFTWARE\\WOW6432Node\\QUORVANTIX\\{PRODUCT}]", "",
                              f"[HKEY_LOCAL_MACHINE\\SOFTWARE\\WOW6432Node{UNINSTALL[8:]}{PRODUCT}]",
                              '"UninstallString"=' + self.COPIES[road["copy"]], ""]
                done = self.rehearse(medium, "--locale", road["locale"], "--uninstaller",
                                     "leaves" if road["copy"] == "keeps" else "removes", "--registry",
                                     write_fixture(os.path.join(self.work, f"machine {index}.reg"), lines))
                out, caption = done.stdout, {"box": "Information", "form": "Setup"}.get(road["outcome"])
                self.assertEqual(done.returncode, 0 if road["outcome"] == "setup" else 1, out)
                self.assertEqual("Started the uninstaller and waited" in out, road["uninstaller"] == "ran", out)
                self.assertEqual("A user sees the main form" in out, road["outcome"] == "form", out)
                if caption:
                    self.assertIn(f"caption \"{caption}\": \"{road['text']}\"".replace("\\n", "\n"), out)
                if road["outcome"] != "setup":
                    self.assertNotIn("Per-user key", out)
                    continue
                self.assertLines(out, f"Per-user key HKCU\\{USER_KEY}: {user_key_end}",
                                 f"the stand-in recorded: command line Inst_{language}\\Setup.exe, current "
                                 "directory the medium's root, show command 1")
                self.assertEqual(out.strip().splitlines()[-1], f"OK: {language} setup program started")


WINE_READY = os.path.exists("/usr/lib/wine/wine") and all(map(os.path.exists, WINE_PROGRAMS))
# On a machine whose kernel runs no 32-bit programs the release program cannot
# run under Wine: there a rehearsal under Wine that needs a 32-bit program must
# say so instead.
sys.path.insert(0, TOOLS)
from wine_road import loader_refusal  # noqa: E402

WINE_REFUSAL = loader_refusal(32) if WINE_READY else None
if WINE_REFUSAL:
    print(f"medium: rehearsals under Wine that need a 32-bit program are not run: {WINE_REFUSAL}",
          file=sys.stderr)


def launcher_medium(launcher, **options):
    """A medium builder: make_medium(parent, name) with that launcher."""
    return lambda parent, name: make_medium(parent, name=name, launcher=launcher, **options)


def rewritten(builder, path, data):
    """A medium builder: builder's medium with the file at path holding data."""
    def build(parent, name):
        medium = builder(parent, name)
        with open(os.path.join(medium, path), "wb") as file:
            file.write(data)
        return medium
    return build


def config_medium(japanese=ini(PRODUCT), english=ini(PRODUCT), dated=None):
    """A medium builder: the release program with these SETUP.INI files, the
    English one last written at `dated` (seconds since 1970)."""
    def build(parent, name):
        medium = make_medium(parent, name=name, launcher=RELEASE_SETUP,
                             configs={0: japanese, 1: english})
        if dated is not None:
            os.utime(os.path.join(medium, "Inst_English", "SETUP.INI"), (dated, dated))
        return medium
    return build


@unittest.skipUnless(os.path.exists(RELEASE_SETUP) and os.path.exists(WIN64_SETUP),
                     "the Windows builds are needed")
class AgreementTest(MediumCase):
    """For one medium on one machine, check-medium, the host rehearsal and the
    rehearsal under Wine say the same: a road the rehearsals call OK has no
    check-medium problem, and a road stopped by the medium is one. Each Wine
    run makes a prefix (some 20 seconds): give few rows `wine`."""

    # what: the row's name; medium: builder(parent, name) -> path; views: the
    # earlier copy's registry views for the --registry fixture (None: no
    # fixture); machine: options both tools take (--windows, --locale
    # (default en), --code-page ...); rehearsal: options only the rehearsal
    # takes (--uninstaller ...); verdict: the last line of the road's account
    # starts with it; problem: a line check-medium prints (None: no problem;
    # SKIP: not a medium matter, check-medium not asked);
    # wine: also rehearsed under Wine. Optional: copy, the earlier copy's
    # name (PRODUCT); command, its UninstallString.
    SKIP = object()
    CASES = [
        dict(what="the win64 build, a 64-bit installer's keys", medium=launcher_medium(WIN64_SETUP),
             views=(64,), machine=(), rehearsal=(), verdict="OK: English setup program started",
             problem=None, wine=True),
        dict(what="the win32 build, a 64-bit installer's keys", medium=launcher_medium(RELEASE_SETUP),
             views=(64,), machine=(), rehearsal=(),
             verdict="MISSED: English setup program started, but the earlier copy stays installed",
             problem="it is in the 64-bit view", wine=True),
        dict(what="the win32 build, a 32-bit installer's keys", medium=launcher_medium(RELEASE_SETUP),
             views=(32,), machine=(), rehearsal=(), verdict="OK: English setup program started",
             problem=None, wine=True),
        dict(what="the win32 build, keys in both views", medium=launcher_medium(RELEASE_SETUP),
             views=(32, 64), machine=(), rehearsal=(), verdict="OK: English setup program started",
             problem=None, wine=True),
        dict(what="the win32 build on 32-bit Windows, an uninstaller that leaves the copy",
             medium=launcher_medium(RELEASE_SETUP), views=(None,), machine=("--windows", "32"),
             rehearsal=("--uninstaller", "leaves"),
             verdict="STOPPED: the earlier copy was still installed after its uninstaller had run",
             problem=SKIP, wine=True),
        # The user's locale chooses the Japanese road; the system's code page
        # 1252 reads the Shift-JIS name, whose 0x5C trail byte splits the key.
        dict(what="a Japanese user on a system of code page 1252",
             medium=launcher_medium(RELEASE_SETUP, configs={
                 0: f"[Startup]\r\nAppName={JAPANESE_NAME}\r\n".encode("cp932")}),
             views=(32,), copy=JAPANESE_NAME, machine=("--locale", "1041", "--code-page", "1252"),
             rehearsal=(), verdict="MISSED: Japanese setup program started",
             problem=f"AppName \"{JAPANESE_NAME.encode('cp932').decode('cp1252')}\": the product key",
             wine=True),
        dict(what="an uninstaller that hands the removal to a second process",
             medium=launcher_medium(RELEASE_SETUP), views=(32,), machine=(),
             rehearsal=("--uninstaller", "hands-off"),
             verdict="STOPPED: the earlier copy was still installed after its uninstaller had run "
                     "(the uninstaller handed the removal to a second process",
             problem=SKIP, wine=True),
        # Windows reads a byte-order mark other than UTF-16LE's as bytes of
        # the first line; Wine and the host read the file as Unicode.
        dict(what="UTF-8 with a mark before [Startup]",
             medium=config_medium(english=b"\xef\xbb\xbf" + ini(PRODUCT)), views=(32,), machine=(),
             rehearsal=(), verdict="STOPPED: Inst_English\\SETUP.INI: is UTF-8 with a byte-order mark",
             problem="Inst_English\\SETUP.INI: is UTF-8 with a byte-order mark", wine=True),
        dict(what="UTF-8 with a mark before a comment",
             medium=config_medium(english="\ufeff; SOLVENTRA\r\n[Startup]\r\nAppName=SOLVENTRA Café\r\n"
                                  .encode()), views=(32,), copy="SOLVENTRA Café", machine=(),
             rehearsal=(), verdict="MISSED: English setup program started, but",
             problem="on Windows AppName is \"SOLVENTRA CafÃ©\"", wine=True),
        dict(what="UTF-16BE with its mark",
             medium=config_medium(english="\ufeff[Startup]\r\nAppName=SOLVENTRA 2\r\n".encode("utf-16-be")),
             views=None, machine=(), rehearsal=(), verdict="STOPPED: Inst_English\\SETUP.INI: is UTF-16BE",
             problem="Inst_English\\SETUP.INI: is UTF-16BE", wine=True),
        dict(what="an English SETUP.INI in Shift-JIS with a 0x5C trail byte",
             medium=config_medium(english="[Startup]\r\nAppName=表計算 2024\r\n".encode("cp932")),
             views=(32,), copy="表計算 2024", machine=(), rehearsal=(),
             verdict="MISSED: English setup program started, but the earlier copy stays installed",
             problem="is Shift-JIS for \"表計算 2024\", but the English road reads it in code page 1252",
             wine=False),
        dict(what="a blank inside the quotes", medium=config_medium(english=ini(f'"{PRODUCT} "')),
             views=(32,), machine=(), rehearsal=(),
             verdict="MISSED: English setup program started, but the earlier copy stays installed",
             problem=f"AppName \"{PRODUCT} \" ends with a blank (U+0020 SPACE)", wine=False),
        dict(what="a trailing full-width blank",
             medium=config_medium(japanese="[Startup]\r\nAppName=表計算 2024\u3000\r\n".encode("cp932")),
             views=(32,), copy="表計算 2024", machine=("--locale", "ja"), rehearsal=(),
             verdict="MISSED: Japanese setup program started, but the earlier copy stays installed",
             problem="position 9: the name has U+3000 IDEOGRAPHIC SPACE, the key has none", wine=False),
        dict(what="a SETUP.INI of 1970", medium=config_medium(dated=12 * 3600), views=None, machine=(),
             rehearsal=(), verdict="STOPPED: Inst_English\\SETUP.INI not found",
             problem="Inst_English\\SETUP.INI: last written 1970-01-01", wine=True),
        dict(what="an uninstall entry that starts the launcher", medium=config_medium(), views=(32,),
             command="Setup.exe /uninstall", machine=(), rehearsal=(),
             verdict="STOPPED: the uninstaller could not be run",
             problem="would start the launcher itself", wine=True),
        dict(what="a setup program that is no Windows program",
             medium=rewritten(launcher_medium(RELEASE_SETUP), "Inst_English/Setup.exe", b"@echo off\r\n"),
             views=None, machine=(), rehearsal=(),
             verdict="STOPPED: Inst_English\\Setup.exe could not be started: not a program",
             problem="Inst_English\\Setup.exe: not a Windows program", wine=True),
        dict(what="a sound medium in a local folder named My Media ソフト",
             medium=lambda parent, _: make_medium(parent, "My Media ソフト", launcher=RELEASE_SETUP),
             views=(32,), machine=(), rehearsal=(), verdict="OK: English setup program started",
             problem=None, wine=True),
        dict(what="--at a Japanese folder, on the English road", medium=launcher_medium(RELEASE_SETUP),
             views=(32,), machine=("--at", "D:\\製品\\メディア"), rehearsal=(),
             verdict="STOPPED: Setup.exe cannot use the medium's folder path (an information box): "
                     "the folder D:\\製品\\メディア has \"製\", which code page 1252 lacks",
             problem="D:\\製品\\メディア: the launcher cannot use this folder on the English road",
             wine=True),
        dict(what="--at a folder too long for the English road", medium=launcher_medium(RELEASE_SETUP),
             views=None, machine=("--at", "C:\\" + "x" * 234), rehearsal=(),
             verdict="STOPPED: Setup.exe cannot use the medium's folder path (an information box): "
                     "the folder C:\\xx", problem="is 237 characters long; at most 236", wine=False),
    ]

    def test_check_medium_and_both_rehearsals_give_one_verdict(self):
        for index, case in enumerate(self.CASES):
            with self.subTest(case["what"]):
                medium = case["medium"](self.work, f"medium {index}")
                machine = list(case["machine"])
                if case["views"] is not None:
                    copy = earlier_copy(case.get("copy", PRODUCT), views=case["views"],
                                        **({"command": case["command"]} if "command" in case else {}))
                    machine += ["--registry", write_fixture(os.path.join(self.work, f"machine {index}.reg"),
                                                            copy)]
                road = () if "--locale" in machine else ("--locale", "en")
                runs = [self.rehearse(medium, *machine, *case["rehearsal"], *road)]
                if case["wine"] and WINE_READY:
                    done = self.rehearse(medium, *machine, *case["rehearsal"], *road, "--wine")
                    if WINE_REFUSAL and done.returncode == 2:  # a road with a 32-bit program
                        self.assertEqual(done.stderr.strip(), f"rehearse: {WINE_REFUSAL}")
                    else:
                        self.assertIn("run under Wine", done.stdout)
                        runs.append(done)
                for done in runs:
                    self.assertTrue(done.stdout.strip().splitlines()[-1].startswith(case["verdict"]),
                                    done.stdout)
                    self.assertEqual(done.returncode, 0 if case["verdict"].startswith("OK") else 1)
                if case["problem"] is self.SKIP:
                    continue
                checked = self.tool("check_medium", medium, *machine)
                if case["problem"] is None:
                    self.assertEqual(checked.returncode, 0, checked.stdout)
                else:
                    self.assertEqual(checked.returncode, 1, checked.stdout)
                    self.assertIn(case["problem"], checked.stdout)


if __name__ == "__main__":
    unittest.main(verbosity=2)
