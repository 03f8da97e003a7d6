"""The options that describe a user's machine, taken alike by check-medium and
rehearse: the user's locale (--locale, which chooses the road) and the
system's ANSI code page (--code-page, the locale's unless told otherwise, in
which the launcher reads SETUP.INI and names registry keys)."""
from machine import MachineError
from road import ROADS, CannotRehearse, default_code_page, parse_locale

# The ANSI code pages the host machines (and the Wine rehearsal) provide.
CODE_PAGES = {932: "Japanese, Shift-JIS", 1252: "Western European"}


def add_machine_options(parser):
    """--locale and --code-page (the tools add --windows and --registry)."""
    parser.add_argument("--locale", help="the user's locale: ja, en or a locale identifier "
                                         "(default: both languages)")
    parser.add_argument("--code-page", help="the system's ANSI code page, 932 or 1252 "
                                            "(default: the locale's)")


def parse_code_page(text):
    """The code page --code-page names, or None without one."""
    if text is None:
        return None
    try:
        value = int(text, 10)
    except ValueError:
        value = None
    if value not in CODE_PAGES:
        known = " or ".join(f"{page} ({name})" for page, name in CODE_PAGES.items())
        raise MachineError(f"--code-page {text}: the machines of these tools have code page {known}")
    return value


def machine_roads(locale, code_page):
    """(locale identifier, code page) of each road the options ask for: the
    locale's, or both languages' roads; each in the given code page, or its
    locale's."""
    try:
        lcids = [parse_locale(locale)] if locale else [ROADS["ja"], ROADS["en"]]
    except CannotRehearse as error:
        raise MachineError(str(error)) from None
    page = parse_code_page(code_page)
    return [(lcid, page or default_code_page(lcid)) for lcid in lcids]
