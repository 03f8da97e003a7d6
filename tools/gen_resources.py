#!/usr/bin/env python3
"""Generates the program's resources from their sources in resources/.

Two outputs carry the same data:
  --rc FILE   a resource script for windres (the Windows builds),
  --cpp FILE  a C++ table the host build links into the program, laid out as
              the resources are laid out in a PE file (string tables in blocks
              of sixteen UTF-16 strings, icons as RT_ICON images plus an
              RT_GROUP_ICON directory), so the host serves them as Windows does.
Inputs:
  --strings FILE      "identifier<TAB>text" lines (UTF-8; "\\n" is a line feed)
  --rcdata NAME=FILE  an RCDATA resource
  --icon NAME=FILE    an icon group from a .ico file
  --manifest FILE     the application manifest (RT_MANIFEST, id 1: the one
                      Windows reads when it starts the program)
"""
import argparse
import os
import struct
import sys

RT_ICON, RT_STRING, RT_RCDATA, RT_GROUP_ICON, RT_MANIFEST = 3, 6, 10, 14, 24
# The manifest id Windows looks for in a program (CREATEPROCESS_MANIFEST_RESOURCE_ID).
PROCESS_MANIFEST_ID = 1


def read_strings(path):
    strings = {}
    with open(path, encoding="utf-8") as f:
        for number, line in enumerate(f, 1):
            line = line.rstrip("\n")
            if not line.strip() or line.startswith("#"):
                continue
            ident, sep, text = line.partition("\t")
            if not sep or not ident.isdigit() or not 0 <= int(ident) <= 65535:
                sys.exit(f"{path}:{number}: expected 'identifier<TAB>text'")
            if int(ident) in strings:
                sys.exit(f"{path}:{number}: identifier {ident} given twice")
            strings[int(ident)] = text.replace("\\n", "\n")
    return strings


def string_blocks(strings):
    """RT_STRING resources: block id (n >> 4) + 1 holds strings n & ~15 .. n | 15."""
    blocks = {}
    for ident, text in strings.items():
        blocks.setdefault((ident >> 4) + 1, [""] * 16)[ident & 15] = text
    result = {}
    for block, texts in blocks.items():
        data = b""
        for text in texts:
            units = text.encode("utf-16-le")
            data += struct.pack("<H", len(units) // 2) + units
        result[block] = data
    return result


def read_icon(path):
    """Splits a .ico file into its images and a group directory (GRPICONDIR)."""
    data = open(path, "rb").read()
    reserved, kind, count = struct.unpack_from("<HHH", data, 0)
    if reserved != 0 or kind != 1 or count == 0:
        sys.exit(f"{path}: not an icon file")
    images, entries = [], []
    for i in range(count):
        w, h, colors, res, planes, bits, size, offset = struct.unpack_from("<BBBBHHII", data, 6 + 16 * i)
        images.append(data[offset:offset + size])
        entries.append((w, h, colors, res, planes, bits, size))
    return images, entries


def c_bytes(data):
    return ", ".join(str(b) for b in data) if data else "0"


def rc_string(text):
    out = '"'
    for ch in text:
        if ch == '"':
            out += '""'
        elif ch == "\\":
            out += "\\\\"
        elif ch == "\n":
            out += "\\n"
        else:
            out += ch
    return out + '"'


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--strings")
    parser.add_argument("--rcdata", action="append", default=[])
    parser.add_argument("--icon", action="append", default=[])
    parser.add_argument("--manifest")
    parser.add_argument("--rc")
    parser.add_argument("--cpp")
    args = parser.parse_args()

    strings = read_strings(args.strings) if args.strings else {}
    rcdata = [item.split("=", 1) for item in args.rcdata]
    icons = [item.split("=", 1) for item in args.icon]

    if args.rc:
        lines = ["#pragma code_page(65001)", ""]
        for name, path in rcdata:
            lines.append(f'{name} RCDATA "{os.path.abspath(path)}"')
        for name, path in icons:
            lines.append(f'{name} ICON "{os.path.abspath(path)}"')
        if args.manifest:
            lines.append(f'{PROCESS_MANIFEST_ID} {RT_MANIFEST} "{os.path.abspath(args.manifest)}"')
        if strings:
            lines += ["", "STRINGTABLE", "BEGIN"]
            for ident in sorted(strings):
                lines.append(f"    {ident}, {rc_string(strings[ident])}")
            lines.append("END")
        with open(args.rc, "w", encoding="utf-8") as f:
            f.write("\n".join(lines) + "\n")

    if args.cpp:
        arrays, entries = [], []

        def add(type_id, name, data):
            index = len(arrays)
            arrays.append(f"const BYTE data{index}[] = {{{c_bytes(data)}}};")
            name_expr = f"MAKEINTRESOURCEA({name})" if isinstance(name, int) else f'"{name}"'
            entries.append(f"    {{MAKEINTRESOURCEA({type_id}), {name_expr}, data{index}, {len(data)}}},")

        for name, path in rcdata:
            add(RT_RCDATA, name, open(path, "rb").read())
        next_icon = 1
        for name, path in icons:
            images, group = read_icon(path)
            directory = struct.pack("<HHH", 0, 1, len(images))
            for image, (w, h, colors, res, planes, bits, size) in zip(images, group):
                add(RT_ICON, next_icon, image)
                directory += struct.pack("<BBBBHHIH", w, h, colors, res, planes, bits, size, next_icon)
                next_icon += 1
            add(RT_GROUP_ICON, name, directory)
        if args.manifest:
            # Carried as on Windows; the host reads no manifest.
            add(RT_MANIFEST, PROCESS_MANIFEST_ID, open(args.manifest, "rb").read())
        for block, data in sorted(string_blocks(strings).items()):
            add(RT_STRING, block, data)

        with open(args.cpp, "w", encoding="utf-8") as f:
            f.write("// Generated by tools/gen_resources.py from resources/; do not edit.\n")
            f.write('#include "platform/win32.h"\n#include "hostwin/embedded_resources.h"\n\n')
            f.write("namespace {\n" + "\n".join(arrays) + "\n}  // namespace\n\n")
            f.write("extern \"C\" const HostEmbeddedResource hostwin_embedded_resources[] = {\n")
            f.write("\n".join(entries) + "\n};\n")
            f.write("extern \"C\" const size_t hostwin_embedded_resource_count = "
                    f"{len(entries)};\n")


if __name__ == "__main__":
    main()
