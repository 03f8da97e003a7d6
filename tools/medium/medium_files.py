"""Names on a medium looked up as Windows looks them up: without regard to case."""
import os

from host_answers import HostAnswerError, language_resource_extensions, pe_facts


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


def is_windows_program(path):
    """True when the file starts with an MS-DOS header pointing at a PE header."""
    try:
        return pe_facts(path)["pe"]
    except HostAnswerError:
        return False


def language_resource_files(medium):
    """Files beside Setup.exe that the framework may load, by the user's
    language, as the module the form descriptions are read from: named
    Setup.<extension> where the extension is a locale's three-letter language
    abbreviation or its first two letters (Setup.JPN, Setup.JP). Other root
    files (Setup.ini, Setup.ico) are ordinary files."""
    extensions = language_resource_extensions()
    found = []
    for entry in sorted(os.listdir(medium)):
        stem, dot, extension = entry.rpartition(".")
        if dot and stem.lower() == "setup" and extension.upper() in extensions and \
                os.path.isfile(os.path.join(medium, entry)):
            found.append(entry)
    return found
