"""Which program a medium's Setup.exe is, the Windows it is rehearsed on, and
the registry view in which it finds the keys below HKLM\\SOFTWARE.

64-bit Windows keeps two views of HKLM\\SOFTWARE: a 64-bit program reads the
64-bit view, a 32-bit program is redirected to the 32-bit view, which
regedit (and its .reg exports) shows under HKLM\\SOFTWARE\\WOW6432Node. The
launcher's keys (the product key and the uninstall entry) are redirected
ones. 32-bit Windows has one registry and no views.
"""
from dataclasses import dataclass

from host_answers import program_bits

KEY_WOW64_64KEY = 0x100
KEY_WOW64_32KEY = 0x200
NODE = "WOW6432Node"


@dataclass
class Target:
    """The program rehearsed and the Windows it is rehearsed on."""
    bits: int          # 32 or 64: the program
    windows: int       # 32 or 64: the Windows
    assumed: bool      # the medium's Setup.exe is no Windows program: the win32 build stands for it

    @property
    def build(self):
        return f"win{self.bits}"

    @property
    def runs(self):
        """False for a 64-bit program on 32-bit Windows."""
        return self.bits <= self.windows

    @property
    def process(self):
        """The host's HOSTWIN_PROCESS for this program on this Windows."""
        if self.windows == 32:
            return "win32"
        return "wow64" if self.bits == 32 else "win64"

    @property
    def view(self):
        """The view the program reads: 32, 64, or None on 32-bit Windows."""
        return None if self.windows == 32 else self.bits

    def view_of(self, access):
        """The view a key opened with this REGSAM is looked for in."""
        if self.view is None:
            return None
        if access & KEY_WOW64_32KEY:
            return 32
        if access & KEY_WOW64_64KEY:
            return 64
        return self.view

    def describe(self, medium_program):
        what = (f"{medium_program} is no Windows program: rehearsed as the win32 build, "
                f"the program that ships" if self.assumed else
                f"{medium_program} is a {self.bits}-bit Windows program (the {self.build} build)")
        on = ("a 32-bit program on 64-bit Windows, reading the 32-bit view of HKLM\\SOFTWARE"
              if self.process == "wow64" else
              "a 64-bit program on 64-bit Windows, reading the 64-bit view of HKLM\\SOFTWARE"
              if self.process == "win64" else "on 32-bit Windows: one registry, no views")
        return f"{what}; {on}"

    def cannot_run(self):
        return ("Setup.exe is a 64-bit Windows program (the win64 build): 32-bit Windows "
                "cannot run it; ship the win32 build")


def target_of(program, windows):
    """The Target of the medium's Setup.exe (a path, or None when it has none)."""
    bits = program_bits(program) if program else None
    return Target(bits or 32, windows, bits is None)


def redirected(key):
    """True for a key below HKLM\\SOFTWARE (its path below the hive) that the
    views separate."""
    parts = key.split("\\")
    return len(parts) > 1 and parts[0].upper() == "SOFTWARE" and parts[1].upper() != NODE.upper()


def stored_path(key, view):
    """Where regedit on 64-bit Windows shows a key below HKLM of a view (or of
    32-bit Windows' one registry: None)."""
    if view != 32 or not redirected(key):
        return key
    first, rest = key.split("\\", 1)
    return f"{first}\\{NODE}\\{rest}"


def view_name(view):
    if view is None:
        return "the registry of 32-bit Windows"
    return f"the {view}-bit view"


def key_in_view(key, view):
    """HKLM\\KEY in a view, with where regedit shows it when that differs."""
    place = stored_path(key, view)
    extra = f" (regedit: HKLM\\{place})" if place != key else ""
    return f"HKLM\\{key}, in {view_name(view)}{extra}"


def other_view(view):
    return 64 if view == 32 else 32


def other_view_note(role, key, target, view):
    """The note for a key the launcher does not find in its view but that is
    in the other one."""
    other = other_view(view)
    writer = f"a {other}-bit installer"
    return (f"   note: the {role} HKLM\\{key} is only in {view_name(other)} "
            f"(regedit: HKLM\\{stored_path(key, other)}), where {writer} writes it: this "
            f"launcher, the {target.build} build, will not see it; the win{other} build would")
