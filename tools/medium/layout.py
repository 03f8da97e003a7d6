"""The medium layout a built Setup.exe was made with, read from the program.

Every build (host ELF, win64 and win32 PE) carries one record of the product
key prefix, the per-user key and the two language folders
(launcher/medium_layout.h). The host build's hostwin-ask reads it with the
record's own definition; the tools ask it instead of knowing the values.
"""
from dataclasses import dataclass

from host_answers import HostAnswerError, layout_fields

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


def read_layout(path):
    """The layout of the program file at path; LayoutError with the reason
    when it carries none or cannot be read."""
    try:
        fields = layout_fields(path)
    except HostAnswerError as error:
        raise LayoutError(str(error).removeprefix(f"{path}: ")) from None
    return Layout(**fields)


def language_of(lcid):
    return "Japanese" if lcid == JAPANESE_LCID else "English"
