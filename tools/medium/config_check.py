"""A road's SETUP.INI as the launcher reads it on Windows, and what in it
stops the road or makes the launcher miss the earlier copy it was meant to
find. check-medium lists these findings as problems and the rehearsal's
verdict follows them, so that the two tools give one verdict.

Windows' profile functions read a file as ANSI text in the system's code
page, or as Unicode when it begins with the UTF-16LE byte-order mark. Any
other mark (UTF-8's, UTF-16BE's) is read as bytes of the first line. Wine,
and the host that follows it, read those two as Unicode too: where that
changes what the launcher reads, the finding says so."""
import os
import time
from dataclasses import dataclass

import inifile

STOPS, MISSES = "stops", "misses"
# Marks that Windows reads as text, with what they mark.
FOREIGN_MARKS = ((inifile.BOM_UTF8, "UTF-8 with a byte-order mark"),
                 (inifile.BOM_UTF16BE, "UTF-16BE"))
MARKS = (inifile.BOM_UTF8, inifile.BOM_UTF16LE, inifile.BOM_UTF16BE)
# Blanks the launcher keeps at the ends of a name, as the profile functions
# leave them: ASCII ones only inside quotes, the ideographic space always.
BLANKS = {" ": "a blank (U+0020 SPACE)", "\t": "a tab (U+0009)",
          "\u3000": "a full-width blank (U+3000 IDEOGRAPHIC SPACE)"}


@dataclass
class Finding:
    """What is wrong with one file of the medium, for one road."""
    path: str    # the file on the medium
    text: str    # what is wrong and what it does, for a person
    effect: str  # STOPS: the road ends before its setup program; MISSES: it
    #              starts it, but not over the earlier copy the engineer meant


@dataclass
class Reading:
    """What the launcher reads from a road's SETUP.INI on Windows."""
    name: bytes        # [Startup] AppName, or None when there is none
    findings: list     # Finding, in the order found
    difference: str    # how Wine and the host read it otherwise, or None


def undated(path):
    """None, or why the file's last-write time has no DOS form (before 1980
    or after 2107 in local time): the launcher then takes the file for
    absent."""
    try:
        stamp = os.stat(path).st_mtime
        local = time.localtime(stamp)
    except (OSError, OverflowError, ValueError):
        return None
    if 1980 <= local.tm_year <= 2107:
        return None
    return (f"last written {time.strftime('%Y-%m-%d %H:%M', local)} (local time), which has no "
            f"DOS date and time (1980 to 2107): the launcher takes the file for absent and ends "
            f"without a word; give it a later time (touch)")


def windows_copy(data, scratch):
    """A file the host reads as Windows reads data (its first line holding a
    foreign byte-order mark, blanked: that line is no section nor entry of
    one), or None when the host reads data as Windows does."""
    if not any(data.startswith(mark) for mark, _ in FOREIGN_MARKS):
        return None
    end = data.find(b"\n")
    path = os.path.join(scratch, "windows-reading.ini")
    with open(path, "wb") as file:
        file.write(b"\n" + data[end + 1:] if end >= 0 else b"")
    return path


def read_config(machine, config, language, code_page, scratch, dated=None):
    """The Reading of the road's SETUP.INI at config (a path of the machine's
    system), read in code_page; `dated` is the medium's own file when config
    is a copy that may not keep its time."""
    findings = []

    def find(text, effect=MISSES):
        findings.append(Finding(config, text, effect))

    reason = undated(dated or config)
    if reason:
        find(reason, STOPS)
    try:
        with open(config, "rb") as file:
            data = file.read()
    except OSError as error:
        find(f"cannot be read ({error.strerror})", STOPS)
        return Reading(None, findings, None)
    encoding = inifile.encoding_problem(data, language)
    if encoding:
        find(encoding)
    own = windows_copy(data, scratch)
    read_from = own or config
    name = inifile.app_name(machine, read_from)
    difference = None
    if own:
        difference = mark_finding(data, name, inifile.app_name(machine, config), language,
                                  code_page, find)
    if name is None and difference is None:
        keys = [k.decode("latin-1") for k in inifile.startup_keys(machine, read_from)]
        hint = inifile.close_names("AppName", keys)
        also = f" (found {', '.join(hint)}: the key must be AppName)" if hint else ""
        find(f"no [Startup] AppName{also}: the launcher ends without a word", STOPS)
    elif name == b"":
        find("[Startup] AppName is empty")
    elif name == b"NoName":
        find("[Startup] AppName is \"NoName\", which the launcher takes for none", STOPS)
    elif name is not None:
        name_findings(name, data, language, code_page, find)
    return Reading(name, findings, difference)


def mark_finding(data, name, host_name, language, code_page, find):
    """The finding for a file behind a byte-order mark that Windows reads as
    text; returns the difference from Wine's and the host's reading (None
    when they read the same name)."""
    mark, kind = next((mark, what) for mark, what in FOREIGN_MARKS if data.startswith(mark))
    ansi = "Shift-JIS" if language == "Japanese" else "ANSI text"
    if name == host_name:
        return None
    theirs = ("no [Startup] AppName" if host_name is None else
              f"AppName {inifile.show_bytes(host_name, code_page)}")
    difference = f"Wine and the host read the file as Unicode and find {theirs}"
    if name is None:
        first = data[len(mark):].split(b"\n", 1)[0].replace(b"\0", b"").strip()
        opens = ", so that line opens no section" if first.startswith(b"[") else ""
        find(f"is {kind}: Windows documents Unicode profile files as UTF-16LE and reads this one "
             f"as code page {code_page} bytes, the mark part of its first line{opens}: on Windows "
             f"the launcher finds no [Startup] AppName and ends without a word ({difference}); "
             f"save it as {ansi} or UTF-16LE", STOPS)
    else:
        find(f"is {kind}: Windows documents Unicode profile files as UTF-16LE and reads this one "
             f"as code page {code_page} bytes: on Windows AppName is "
             f"{inifile.show_bytes(name, code_page)} ({difference}); save it as {ansi} or "
             f"UTF-16LE")
    return difference


def meant_as(name):
    """(codec, description) of what the engineer most likely wrote a name's
    bytes in: UTF-8 when they are valid UTF-8, else Shift-JIS when they hold
    its double-byte characters, else None."""
    if inifile.is_utf8(name):
        return "utf-8", "UTF-8"
    try:
        text = name.decode("cp932")
    except UnicodeDecodeError:
        return None
    return ("cp932", "Shift-JIS") if len(text.encode("utf-16-le")) // 2 < len(name) else None


def name_findings(name, data, language, code_page, find):
    """Findings about the name's bytes in the road's code page and its ends."""
    codec = f"cp{code_page}"
    text = name.decode(codec, errors="replace")
    meant = ("cp932", "Shift-JIS") if language == "Japanese" else meant_as(name)
    told = False
    if meant and meant[0] != codec and any(b >= 0x80 for b in name):
        try:
            intended = name.decode(meant[0])
        except UnicodeDecodeError:
            intended = None
        if intended is not None and intended != text:
            split = trail_backslash(name) if meant[0] == "cp932" and code_page != 932 else ""
            find(f"AppName {' '.join(f'{b:02x}' for b in name)} is {meant[1]} for \"{intended}\", "
                 f"but the {language} road reads it in code page {code_page} as \"{text}\"{split}: "
                 f"the launcher looks for that name and misses a copy installed as \"{intended}\"")
            told = True
    # A byte-order mark is not text of the file, whoever reads it.
    text_bytes = data[next((len(m) for m in MARKS if data.startswith(m)), 0):]
    if language == "English" and not told and any(b >= 0x80 for b in text_bytes) and \
            not data.startswith(inifile.BOM_UTF16LE):
        line = data[:next(i for i, b in enumerate(text_bytes) if b >= 0x80)].count(b"\n") + 1
        find(f"has bytes outside ASCII (line {line}): the English road runs on systems of many "
             f"code pages, which read them as different characters; keep the English SETUP.INI "
             f"plain ASCII")
    for end, char in (("begins", text[:1]), ("ends", text[-1:])):
        if char in BLANKS:
            quoted = " (it is inside quotes)" if char in " \t" else ""
            find(f"AppName \"{text}\" {end} with {BLANKS[char]}, which the profile functions "
                 f"keep{quoted}: the launcher looks for the name exactly, with it")


def trail_backslash(name):
    """Where a Shift-JIS name has a double-byte character whose trail byte is
    0x5C: in a single-byte code page that byte is a backslash, and the key
    path splits there."""
    index = 0
    while index < len(name):
        lead = name[index]
        if 0x81 <= lead <= 0x9F or 0xE0 <= lead <= 0xFC:
            if name[index + 1:index + 2] == b"\\":
                char = name[index:index + 2].decode("cp932", errors="replace")
                return (f" (the second byte of \"{char}\", 0x5C, is a backslash there: the key "
                        f"path splits at it)")
            index += 2
        else:
            index += 1
    return ""
