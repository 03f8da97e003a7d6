"""What a SETUP.INI holds, as the launcher would find it: its encoding and the
[Startup] AppName entry, read by the rules of the profile functions (names
without regard to case and without surrounding blanks, the first match wins,
a value loses its blanks and one pair of surrounding quotes)."""

BOM_UTF8 = b"\xef\xbb\xbf"


def encoding_problem(data, language):
    """None, or why the bytes are not what the launcher reads: ANSI text,
    Shift-JIS (code page 932) on the Japanese road."""
    if data.startswith((b"\xff\xfe", b"\xfe\xff")) or (len(data) > 3 and data[1:2] == b"\0"):
        kind = "UTF-16LE" if data.startswith(b"\xff\xfe") or data[1:2] == b"\0" else "UTF-16BE"
        return f"is {kind}, not {'Shift-JIS' if language == 'Japanese' else 'ANSI'} text"
    if data.startswith(BOM_UTF8):
        return "is UTF-8 with a byte-order mark, not " + (
            "Shift-JIS" if language == "Japanese" else "ANSI text")
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


def _blank_trimmed(text):
    return text.strip(b" \t")


def entries(data):
    """(section, key, value) byte triples in file order."""
    if data.startswith(BOM_UTF8):
        data = data[len(BOM_UTF8):]
    section = b""
    for line in data.replace(b"\r\n", b"\n").replace(b"\r", b"\n").split(b"\n"):
        stripped = _blank_trimmed(line)
        if stripped.startswith(b"["):
            end = stripped.find(b"]")
            section = _blank_trimmed(stripped[1:end if end >= 0 else len(stripped)])
            continue
        if b"=" not in line:
            continue
        key, value = line.split(b"=", 1)
        value = _blank_trimmed(value)
        if len(value) >= 2 and value[:1] == value[-1:] and value[:1] in (b'"', b"'"):
            value = value[1:-1]
        yield section, _blank_trimmed(key), value


def app_name(data):
    """The [Startup] AppName value as bytes, or None when there is none."""
    for section, key, value in entries(data):
        if section.lower() == b"startup" and key.lower() == b"appname":
            return value
    return None


def startup_keys(data):
    return [key for section, key, _ in entries(data) if section.lower() == b"startup"]


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
