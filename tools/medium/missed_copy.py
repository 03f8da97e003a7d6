"""An earlier copy on a user's machine (the --registry fixture, loaded into a
scratch machine) that the launcher will not find or cannot remove, and why:
its keys under a near name (told character by character), under the name's
bytes read in another code page, in the other registry view, one key without
the other, or an uninstall command that would start the launcher itself.
check-medium lists these as problems; a rehearsal whose road started its
setup program over such a copy ends MISSED."""
import difflib
import os
import unicodedata

import inifile
from layout import UNINSTALL_PREFIX
from views import key_in_view, other_view, stored_path, view_name

MISSES, STOPS = "misses", "stops"
# Readings of a name's bytes that an engineer may have meant.
READINGS = (("cp932", "Shift-JIS"), ("cp1252", "code page 1252"), ("utf-8", "UTF-8"))


def character(char):
    """A character as a person can tell it apart from its look-alikes."""
    if char.isascii() and char.isalnum():
        return f"\"{char}\""
    return f"U+{ord(char):04X} {unicodedata.name(char, 'without a name')}"


def differences(name, key):
    """What differs between the name read and a key's name, without regard
    to case, each at its 1-based position in the name."""
    found = []
    matcher = difflib.SequenceMatcher(None, [c.lower() for c in name], [c.lower() for c in key],
                                      autojunk=False)
    for operation, start, end, key_start, key_end in matcher.get_opcodes():
        if operation == "equal":
            continue
        ours = ", ".join(map(character, name[start:end])) or "none"
        theirs = ", ".join(map(character, key[key_start:key_end])) or "none"
        found.append(f"position {start + 1}: the name has {ours}, the key has {theirs}")
    return "; ".join(found)


def starts_the_launcher(machine, command, launcher, environment):
    """True when the host's program lookup, from the launcher's folder (also
    its current folder, as Explorer starts it), resolves the command line to
    the launcher's own file (a POSIX path, or None when there is none)."""
    if not launcher:
        return False
    folder = os.path.dirname(launcher)
    answer = machine.locate_program(command, folder, folder, **environment)
    return answer["found"] and os.path.realpath(answer["posix"]) == os.path.realpath(launcher)


def other_readings(name, code_page):
    """(what, text) for each reading of the bytes in another encoding that
    gives other text."""
    ours = name.decode(f"cp{code_page}", errors="replace")
    found = []
    for codec, what in READINGS:
        if codec == f"cp{code_page}":
            continue
        try:
            text = name.decode(codec)
        except UnicodeDecodeError:
            continue
        if text != ours:
            found.append((what, text))
    return found


def missed(machine, layout, name, code_page, view, build, fixture, launcher, environment):
    """[(text, effect)] for the earlier copy in the machine under the name
    (bytes read in code_page, looked for in `view`) that the launcher will
    miss (MISSES) or cannot remove (STOPS); empty when it finds and can
    remove it, or when the machine holds no such copy. launcher and
    environment: as for self_started."""
    text = name.decode(f"cp{code_page}", errors="replace")
    roles = (("product key", layout.product_key_prefix.rstrip("\\")),
             ("uninstall entry", UNINSTALL_PREFIX.rstrip("\\")))
    subkeys = {role: machine.subkeys("HKLM\\" + stored_path(parent, view)) for role, parent in roles}
    present = {role: any(k.lower() == text.lower() for k in subkeys[role]) for role, _ in roles}
    if all(present.values()):
        return self_started(machine, text, view, launcher, environment)
    found = []
    for (role, parent), (other_role, _) in zip(roles, reversed(roles)):
        if present[role]:
            continue
        key = f"{parent}\\{text}"
        details = [f"it has {near}: the names must be equal; {differences(text, near)}"
                   for near in inifile.close_names(text, subkeys[role])]
        for what, reading in other_readings(name, code_page):
            details += [f"it has {other}, the AppName's bytes read as {what}: the launcher reads "
                        f"them in code page {code_page}" for other in subkeys[role]
                        if other.lower() == reading.lower()]
        if present[other_role]:
            details.append(f"the {other_role} is there: the launcher takes the copy for absent "
                           f"and does not remove it")
        also = f" ({'; '.join(details)})" if details else ""
        if view is not None and machine.exists("HKLM\\" + stored_path(key, other_view(view))):
            other = other_view(view)
            also += (f"; it is in {view_name(other)} (regedit: HKLM\\{stored_path(key, other)}), "
                     f"where a {other}-bit installer writes it: the {build} build will not see "
                     f"it; the win{other} build would")
        if also:
            found.append((f"AppName \"{text}\": the {role} {key_in_view(key, view)} is not in "
                           f"{fixture}{also}", MISSES))
    return found


def self_started(machine, text, view, launcher, environment):
    """The uninstall entry's command when it would start the launcher (the
    POSIX path of its file), looked up with the machine's environment
    overridden by `environment` (the machine's folders only, no PATH)."""
    entries = "HKLM\\" + stored_path(UNINSTALL_PREFIX.rstrip("\\"), view)
    return [(f"AppName \"{text}\": the uninstall entry's UninstallString {command} would start "
             f"the launcher itself (the program lookup finds the launcher's own file "
             f"first): the launcher refuses it and shows \"This software failed to uninstall.\"",
             STOPS)
            for entry, command in machine.uninstall_commands(entries)
            if entry.lower() == text.lower()
            and starts_the_launcher(machine, command, launcher, environment)]
