"""Where a user's copy of the medium is: the root of a drive (D:\\, where a
DVD or a mounted image shows) unless --at names another folder, and the
drive links of a scratch machine (dosdevices/x:, as in a Wine prefix) that
put the copy there; and what the launcher's folder check asks of a folder a
user may choose instead."""
import os

DEFAULT_AT = "D:\\"
MAX_PATH = 260
# What the launcher appends to its folder: the language folder, then the
# longer of "\SETUP.INI" and "\Setup.exe".
ADDED_AFTER_FOLDER = len("\\SETUP.INI")


class PlaceError(Exception):
    """--at names no place a user's medium can be: one line for standard error."""


class Place:
    """A folder on a drive of the user's machine: its letter and its names."""

    def __init__(self, at=None):
        text = (at or DEFAULT_AT).replace("/", "\\")
        if len(text) < 3 or text[1] != ":" or not text[0].isalpha() or text[2] != "\\":
            raise PlaceError(f"--at {at}: not a full Windows path such as D:\\ or C:\\Media")
        self.letter = text[0].upper()
        if self.letter == "Z":
            raise PlaceError(f"--at {at}: drive Z: is the Linux root of Wine and the host, "
                             f"not a place of a user's medium")
        self.names = [name for name in text[3:].split("\\") if name]
        if any(name in (".", "..") for name in self.names):
            raise PlaceError(f"--at {at}: \".\" and \"..\" are not folder names")
        self.windows = f"{self.letter}:\\" + "\\".join(self.names)

    def drive_directory(self, prefix, scratch):
        """The POSIX directory of the drive: the machine's drive_c for C:, else
        a scratch directory of its own."""
        if self.letter == "C":
            return os.path.join(prefix, "drive_c")
        return os.path.join(scratch, f"drive_{self.letter.lower()}")

    def directory(self, prefix, scratch):
        """The POSIX directory of the place on a machine whose drives are below
        scratch (see link)."""
        return os.path.join(self.drive_directory(prefix, scratch), *self.names)

    def link(self, prefix, target):
        """Maps the place's drive of the machine (a host or Wine prefix) to the
        target directory, replacing a link the machine had for it."""
        if self.letter == "C":
            return
        devices = os.path.join(prefix, "dosdevices")
        os.makedirs(devices, exist_ok=True)
        link = os.path.join(devices, f"{self.letter.lower()}:")
        if os.path.lexists(link):
            os.remove(link)
        os.symlink(target, link)

    def windows_path(self, relative):
        """The Windows path of a POSIX path relative to the place."""
        parts = [part for part in relative.split(os.sep) if part and part != "."]
        return "\\".join([self.windows.rstrip("\\")] + parts) if parts else self.windows

    def folder_stop(self, language_folder, code_page):
        """Why the launcher refuses this folder on a road, or None."""
        try:
            self.windows.encode(f"cp{code_page}")
        except UnicodeEncodeError as error:
            return (f"the folder {self.windows} has \"{error.object[error.start]}\", "
                    f"which code page {code_page} lacks")
        longest = folder_length_limit(language_folder)
        if utf16_length(self.windows) > longest:
            return (f"the folder {self.windows} is {utf16_length(self.windows)} characters long; "
                    f"at most {longest} leave room for {language_folder}\\SETUP.INI within "
                    f"MAX_PATH ({MAX_PATH})")
        return None


def utf16_length(text):
    return len(text.encode("utf-16-le")) // 2


def folder_length_limit(language_folder):
    """The longest folder (in UTF-16 units, with its drive, without a closing
    backslash) the launcher takes: the folder, a backslash, the language
    folder and the name after it stay under MAX_PATH characters."""
    return MAX_PATH - 1 - 1 - len(language_folder) - ADDED_AFTER_FOLDER


def folder_note(language_folder, code_page):
    """What a user's own folder may be on a road, for the tools' notes."""
    return (f"a user who copies the medium into a folder of their own may use at most "
            f"{folder_length_limit(language_folder)} characters for it (drive included, as in "
            f"C:\\Users\\...\\Product) and only characters of code page {code_page}: "
            f"any other stops this road with an information box")


def expose(place, prefix, medium):
    """Shows the medium (only read) at the place on the machine in prefix and
    returns the POSIX folder through which its files are named there: the
    drive linked to the medium itself for a drive's root, else a link to the
    medium at the place's folder of a drive of the machine's own."""
    if not place.names:
        place.link(prefix, os.path.realpath(medium))
        return os.path.realpath(medium)
    folder = place.directory(prefix, prefix)
    os.makedirs(os.path.dirname(folder), exist_ok=True)
    os.symlink(os.path.realpath(medium), folder)
    place.link(prefix, os.path.realpath(place.drive_directory(prefix, prefix)))
    return folder
