"""The medium layout a built Setup.exe was made with, read from the program.

Every build (host ELF, win64 and win32 PE) carries one record: the tag
"SETUP-MEDIUM-LAYOUT/1", then zero-padded fields of fixed size: the product
key prefix, the per-user key and the two language folders
(launcher/medium_layout.h). The tools read it instead of knowing the values.
"""
from dataclasses import dataclass

TAG = b"SETUP-MEDIUM-LAYOUT/1\0"
FIELDS = (("tag", 32), ("product_key_prefix", 224), ("user_data_key", 224),
          ("japanese_folder", 64), ("english_folder", 64))
UNINSTALL_PREFIX = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\"
JAPANESE_LCID = 1041


@dataclass
class Layout:
    product_key_prefix: str
    user_data_key: str
    japanese_folder: str
    english_folder: str

    def folder(self, language):
        return self.japanese_folder if language == "Japanese" else self.english_folder

    def product_key(self, app_name):
        return "HKLM\\" + self.product_key_prefix + app_name

    @staticmethod
    def uninstall_entry(app_name):
        return "HKLM\\" + UNINSTALL_PREFIX + app_name

    def user_key(self):
        return "HKCU\\" + self.user_data_key


class LayoutError(Exception):
    pass


def parse_layout(data):
    """The layout in a program's bytes; LayoutError when there is none."""
    at = data.find(TAG)
    while at >= 0:
        values, offset = {}, at
        for name, size in FIELDS:
            field = data[offset:offset + size]
            values[name] = field.split(b"\0", 1)[0]
            offset += size
        if offset <= len(data) and values["product_key_prefix"].endswith(b"\\"):
            try:
                texts = {k: v.decode("ascii") for k, v in values.items() if k != "tag"}
            except UnicodeDecodeError:
                texts = None
            if texts and all(texts.values()):
                return Layout(**texts)
        at = data.find(TAG, at + 1)
    raise LayoutError("carries no medium layout record (not a build of this launcher)")


def read_layout(path):
    """The layout of the program file at path (LayoutError, OSError)."""
    with open(path, "rb") as file:
        return parse_layout(file.read())


def language_of(lcid):
    return "Japanese" if lcid == JAPANESE_LCID else "English"
