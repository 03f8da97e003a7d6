"""Questions about files, answered by the host build's own code (hostwin-ask,
built beside the host Setup.exe): a program file's bitness and resources (the
host's PE reader), the layout record a build of the launcher carries (read
with the record's own definition) and the host's locale table. The tools ask
instead of knowing the rules, so that they cannot disagree with the program.
"""
import functools
import json
import os
import subprocess

REPOSITORY = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
DEFAULT_HOST_BIN = os.path.join(REPOSITORY, "build", "host", "bin")
_host_bin = [DEFAULT_HOST_BIN]


class HostAnswerError(Exception):
    """The host tool could not answer: one line for standard error."""


def use_host_bin(directory):
    """Asks the tools of the host build in directory from now on."""
    _host_bin[0] = os.path.abspath(directory)
    _cached_locales.cache_clear()


def host_tool(name):
    """The path of a host tool of the build in use."""
    return os.path.join(_host_bin[0], name)


def ask(*arguments, env=None):
    """hostwin-ask's JSON lines for the question; HostAnswerError when it
    gives none."""
    program = host_tool("hostwin-ask")
    try:
        done = subprocess.run([program, *arguments], capture_output=True, env=env,
                              stdin=subprocess.DEVNULL, check=False)
    except OSError as error:
        raise HostAnswerError(f"{program}: {error.strerror} (./dev build host builds it)") from None
    if done.returncode != 0:
        message = done.stderr.decode(errors="replace").strip().removeprefix("hostwin-ask: ")
        raise HostAnswerError(message or f"{program}: exit status {done.returncode}")
    return [json.loads(line) for line in done.stdout.decode().splitlines() if line.strip()]


def pe_facts(path):
    """{"pe": False} for a file without an MS-DOS and PE header, else its
    "machine", "bits" (32, 64 or None) and "resources" (dicts of type, name,
    language, size; None when the resource directory is malformed)."""
    return ask("pe", path)[0]


def program_bits(path):
    """32 for a 32-bit Windows program (PE32, i386), 64 for a 64-bit one
    (PE32+, x86-64), None for any other file or one that cannot be read."""
    try:
        facts = pe_facts(path)
    except HostAnswerError:
        return None
    return facts.get("bits") if facts["pe"] else None


def layout_fields(path):
    """The layout record's fields of a built launcher (HostAnswerError with
    the reason when it carries none or cannot be read)."""
    return ask("layout", path)[0]


@functools.lru_cache(maxsize=1)
def _cached_locales():
    return tuple((entry["lcid"], entry["abbreviation"], entry["code_page"])
                 for entry in ask("locales"))


def locales():
    """(LCID, three-letter language abbreviation, ANSI code page) of every
    locale the host knows."""
    return _cached_locales()


def language_resource_extensions():
    """The extensions the launcher may load a language resource file by:
    each locale's abbreviation and its first two letters, upper-cased."""
    extensions = set()
    for _, abbreviation, _ in locales():
        if abbreviation:
            extensions.update({abbreviation.upper(), abbreviation[:2].upper()})
    return extensions
