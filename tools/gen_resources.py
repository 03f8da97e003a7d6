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
  --icon NAME=FILE    an icon group from a .ico file; its 32-bit images are
                      stored PNG-compressed where that keeps every pixel (the
                      resource script then names a compacted copy, NAME.ico,
                      written next to it)
  --manifest FILE     the application manifest (RT_MANIFEST, id 1: the one
                      Windows reads when it starts the program)
"""
import argparse
import os
import struct
import sys
import zlib

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
    with open(path, "rb") as f:
        data = f.read()
    reserved, kind, count = struct.unpack_from("<HHH", data, 0)
    if reserved != 0 or kind != 1 or count == 0:
        sys.exit(f"{path}: not an icon file")
    images, entries = [], []
    for i in range(count):
        w, h, colors, res, planes, bits, size, offset = struct.unpack_from("<BBBBHHII", data, 6 + 16 * i)
        images.append(data[offset:offset + size])
        entries.append((w, h, colors, res, planes, bits, size))
    return images, entries


PNG_SIGNATURE = b"\x89PNG\r\n\x1a\n"


def png_chunk(kind, body):
    return struct.pack(">I", len(body)) + kind + body + struct.pack(">I", zlib.crc32(kind + body))


def png_filter_rows(rows, kind):
    """The rows with PNG filter `kind` (0 none, 1 left, 2 up, 3 average,
    4 Paeth; 4 bytes a pixel), each led by its filter byte."""
    def paeth(a, b, c):
        p = a + b - c
        pa, pb, pc = abs(p - a), abs(p - b), abs(p - c)
        return a if pa <= pb and pa <= pc else b if pb <= pc else c

    out, previous = b"", bytes(len(rows[0]))
    for row in rows:
        left, upper_left = bytes(4) + row[:-4], bytes(4) + previous[:-4]
        if kind == 0:
            filtered = row
        elif kind == 1:
            filtered = bytes((x - a) & 255 for x, a in zip(row, left))
        elif kind == 2:
            filtered = bytes((x - b) & 255 for x, b in zip(row, previous))
        elif kind == 3:
            filtered = bytes((x - (a + b) // 2) & 255 for x, a, b in zip(row, left, previous))
        else:
            filtered = bytes((x - paeth(a, b, c)) & 255 for x, a, b, c in zip(row, left, previous, upper_left))
        out += bytes([kind]) + filtered
        previous = row
    return out


def icon_image_as_png(image):
    """A 32-bit icon image (BITMAPINFOHEADER, bottom-up BGRA pixels, AND mask)
    as a PNG of the same pixels, or None where the PNG might not show the
    same thing. A PNG has no mask: Windows (Vista onwards) makes one from the
    alpha channel and draws the image by its alpha, so only a bitmap whose
    mask is set exactly where alpha is 0 (the mask carries nothing of its
    own) is converted."""
    if len(image) < 40:
        return None
    size, width, height2, planes, bits, compression = struct.unpack_from("<IiiHHI", image, 0)
    if size != 40 or bits != 32 or compression != 0 or width <= 0 or height2 != 2 * width:
        return None
    height = width
    mask_stride = (width + 31) // 32 * 4
    pixels_end = size + width * height * 4
    if len(image) != pixels_end + mask_stride * height:
        return None
    rows = []
    for y in range(height):
        source = height - 1 - y  # the bitmap is stored bottom-up
        bgra = image[size + source * width * 4:size + (source + 1) * width * 4]
        mask = image[pixels_end + source * mask_stride:pixels_end + (source + 1) * mask_stride]
        row = bytearray()
        for x in range(width):
            blue, green, red, alpha = bgra[4 * x:4 * x + 4]
            if (alpha == 0) != bool(mask[x // 8] >> (7 - x % 8) & 1):
                return None
            row += bytes((red, green, blue, alpha))
        rows.append(bytes(row))
    # The filter that compresses smallest, one for the whole image.
    data = min((zlib.compress(png_filter_rows(rows, kind), 9) for kind in range(5)), key=len)
    header = struct.pack(">IIBBBBB", width, height, 8, 6, 0, 0, 0)  # 8-bit RGBA
    return (PNG_SIGNATURE + png_chunk(b"IHDR", header) + png_chunk(b"IDAT", data) +
            png_chunk(b"IEND", b""))


def compact_icon(images, entries):
    """The icon's images with each 32-bit one replaced by its PNG where that
    is smaller and shows the same pixels; the directory entries follow."""
    out_images, out_entries = [], []
    for image, (w, h, colors, res, planes, bits, size) in zip(images, entries):
        png = icon_image_as_png(image)
        if png is not None and len(png) < len(image):
            image, size = png, len(png)
        out_images.append(image)
        out_entries.append((w, h, colors, res, planes, bits, size))
    return out_images, out_entries


def icon_file(images, entries):
    """A .ico file of the images (ICONDIR, its entries, then the images)."""
    data = struct.pack("<HHH", 0, 1, len(images))
    offset = 6 + 16 * len(images)
    for image, (w, h, colors, res, planes, bits, size) in zip(images, entries):
        data += struct.pack("<BBBBHHII", w, h, colors, res, planes, bits, size, offset)
        offset += size
    return data + b"".join(images)


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
    icons = [(name, compact_icon(*read_icon(path))) for name, path in
             (item.split("=", 1) for item in args.icon)]

    if args.rc:
        lines = ["#pragma code_page(65001)", ""]
        for name, path in rcdata:
            lines.append(f'{name} RCDATA "{os.path.abspath(path)}"')
        for name, (images, entries) in icons:
            path = os.path.join(os.path.dirname(os.path.abspath(args.rc)), f"{name}.ico")
            with open(path, "wb") as f:
                f.write(icon_file(images, entries))
            lines.append(f'{name} ICON "{path}"')
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
        for name, (images, group) in icons:
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
