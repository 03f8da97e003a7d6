"""Names on a medium looked up as Windows looks them up: without regard to case."""
import os


def find_entry(directory, name):
    """The path of the entry of directory named name in any case, or None.
    An exact match wins; a dangling symbolic link counts as missing."""
    try:
        names = os.listdir(directory)
    except OSError:
        return None
    if name in names and os.path.exists(os.path.join(directory, name)):
        return os.path.join(directory, name)
    for entry in sorted(names):
        path = os.path.join(directory, entry)
        if entry.lower() == name.lower() and os.path.exists(path):
            return path
    return None


def pe_header(path, size):
    """The first `size` bytes at the PE header an MS-DOS header points to
    (starting with b"PE\\0\\0" for a Windows program), or b"" when the file has
    no MS-DOS header or cannot be read."""
    try:
        with open(path, "rb") as file:
            head = file.read(0x40)
            if len(head) < 0x40 or head[:2] != b"MZ":
                return b""
            file.seek(int.from_bytes(head[0x3C:0x40], "little"))
            return file.read(size)
    except OSError:
        return b""


def is_windows_program(path):
    """True when the file starts with an MS-DOS header pointing at a PE header."""
    return pe_header(path, 4) == b"PE\0\0"


def language_resource_files(medium):
    """Files beside Setup.exe named Setup.<extension> other than the program
    itself: the framework loads one of them, by the user's language, as the
    module the form descriptions are read from."""
    found = []
    for entry in sorted(os.listdir(medium)):
        stem, dot, extension = entry.rpartition(".")
        if dot and stem.lower() == "setup" and extension.lower() != "exe" and \
                os.path.isfile(os.path.join(medium, entry)):
            found.append(entry)
    return found


def program_bits(path):
    """32 for a 32-bit Windows program (PE32, i386), 64 for a 64-bit one
    (PE32+, x86-64), None for any other file."""
    header = pe_header(path, 26)  # signature, file header, optional header's magic
    if len(header) < 26 or header[:4] != b"PE\0\0":
        return None
    machine = int.from_bytes(header[4:6], "little")
    magic = int.from_bytes(header[24:26], "little")
    return {(0x14C, 0x10B): 32, (0x8664, 0x20B): 64}.get((machine, magic))
