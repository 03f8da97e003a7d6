"""What a SETUP.INI holds, as the launcher would find it: its encoding, and
its [Startup] entries read through the host's own profile functions
(hostwin-ini, see machine.py), so that names, values and odd lines are read
by the same rules as the launcher's."""

BOM_UTF8 = b"\xef\xbb\xbf"
BOM_UTF16LE = b"\xff\xfe"
BOM_UTF16BE = b"\xfe\xff"


def encoding_problem(data, language):
    """None, or why the bytes are not what the launcher reads on Windows:
    text in the road's code page (Shift-JIS, code page 932, on the Japanese
    road), or UTF-16LE with its byte-order mark, which Windows' profile
    functions read as Unicode converted to that code page."""
    ansi = "Shift-JIS" if language == "Japanese" else "ANSI text"
    codec = "cp932" if language == "Japanese" else "cp1252"
    if data.startswith(BOM_UTF16LE):
        try:
            data[2:].decode("utf-16-le").encode(codec)
        except UnicodeError:
            return (f"is UTF-16LE with characters that code page {codec[2:]} does not have "
                    "(each reads as \"?\")")
        return None
    if data.startswith((BOM_UTF8, BOM_UTF16BE)):
        return None  # Windows reads these marks as text: config_check.py tells what that does
    if len(data) > 3 and b"\0" in (data[0:1], data[1:2]):
        return f"is UTF-16 without a byte-order mark, which reads as {ansi} bytes"
    if language == "Japanese" and any(b >= 0x80 for b in data):
        if is_utf8(data):
            return "is UTF-8, not Shift-JIS"
        try:
            data.decode("cp932")
        except UnicodeDecodeError:
            return "is not valid Shift-JIS"
    return None


def is_utf8(data):
    try:
        data.decode("utf-8")
        return True
    except UnicodeDecodeError:
        return False


def startup_keys(machine, path):
    """The key names of the [Startup] section, as bytes, in file order."""
    listing = machine.profile(path, "Startup")
    return [name for name in listing.split(b"\0") if name] if listing else []


def app_name(machine, path):
    """The [Startup] AppName value as bytes, or None when there is none."""
    if not any(key.lower() == b"appname" for key in startup_keys(machine, path)):
        return None
    return machine.profile(path, "Startup", "AppName")


def show_bytes(value, code_page):
    """Text for a person: the value decoded in the road's code page, and its
    bytes when they are not valid in it (or not plain ASCII)."""
    try:
        text = value.decode("ascii")
        return f'"{text}"'
    except UnicodeDecodeError:
        pass
    hexed = " ".join(f"{b:02x}" for b in value)
    # Shift-JIS text is hardly ever valid UTF-8, while UTF-8 Japanese often
    # decodes as Shift-JIS of other characters: UTF-8 is told first.
    if code_page == 932 and not is_utf8(value):
        try:
            return f'"{value.decode("cp932")}"'
        except UnicodeDecodeError:
            pass
    elif code_page == 1252:
        try:
            return f'"{value.decode("cp1252")}" (bytes {hexed})'
        except UnicodeDecodeError:
            pass
    note = ", which are UTF-8 for \"" + value.decode("utf-8") + "\"" if is_utf8(value) else ""
    return f"bytes {hexed} (not valid {'Shift-JIS' if code_page == 932 else 'text'}{note})"


def close_names(name, candidates, limit=2):
    """Candidates within a few edits of name, compared without case."""
    def distance(a, b):
        row = list(range(len(b) + 1))
        for i, ca in enumerate(a, 1):
            previous, row[0] = row[0], i
            for j, cb in enumerate(b, 1):
                previous, row[j] = row[j], min(row[j] + 1, row[j - 1] + 1, previous + (ca != cb))
        return row[-1]
    return [c for c in candidates
            if c.lower() != name.lower() and distance(c.lower(), name.lower()) <= limit]
