#!/usr/bin/env python3
"""tools/gen_resources.py's icons: the 32-bit images it stores PNG-compressed
must decode to the very pixels (and the very mask) of the source, and the
images a PNG cannot show the same stay as they were."""
import os
import random
import struct
import subprocess
import sys
import tempfile
import unittest
import zlib

ROOT = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
sys.path.insert(0, os.path.join(ROOT, "tools"))
import gen_resources  # noqa: E402

SOURCE_ICON = os.path.join(ROOT, "resources", "mainicon.ico")


def decode_png(data):
    """(width, height, top-down RGBA rows) of an 8-bit RGBA PNG; checks the
    signature and every chunk's CRC."""
    assert data[:8] == b"\x89PNG\r\n\x1a\n", "no PNG signature"
    pos, idat, header = 8, b"", None
    while pos < len(data):
        length, kind = struct.unpack_from(">I4s", data, pos)
        body = data[pos + 8:pos + 8 + length]
        (crc,) = struct.unpack_from(">I", data, pos + 8 + length)
        assert crc == zlib.crc32(kind + body), f"bad CRC in {kind}"
        if kind == b"IHDR":
            header = struct.unpack(">IIBBBBB", body)
        elif kind == b"IDAT":
            idat += body
        pos += 12 + length
    width, height, depth, color, _, _, interlace = header
    assert (depth, color, interlace) == (8, 6, 0), "expected 8-bit RGBA, not interlaced"
    return width, height, unfilter(zlib.decompress(idat), width, height)


def unfilter(raw, width, height):
    """The RGBA rows of PNG image data (each row led by its filter type)."""
    stride, rows, previous = width * 4, [], bytes(width * 4)
    for y in range(height):
        kind, line = raw[y * (stride + 1)], bytearray(raw[y * (stride + 1) + 1:(y + 1) * (stride + 1)])
        for i in range(stride):
            a = line[i - 4] if i >= 4 else 0
            b = previous[i]
            c = previous[i - 4] if i >= 4 else 0
            if kind == 1:
                line[i] = (line[i] + a) & 255
            elif kind == 2:
                line[i] = (line[i] + b) & 255
            elif kind == 3:
                line[i] = (line[i] + (a + b) // 2) & 255
            elif kind == 4:
                p = a + b - c
                pa, pb, pc = abs(p - a), abs(p - b), abs(p - c)
                line[i] = (line[i] + (a if pa <= pb and pa <= pc else b if pb <= pc else c)) & 255
            else:
                assert kind == 0, f"unknown filter {kind}"
        rows.append(bytes(line))
        previous = line
    return rows


def bitmap_pixels(image):
    """(top-down RGBA rows, top-down mask bits) of a 32-bit icon bitmap."""
    size, width = struct.unpack_from("<Ii", image, 0)
    stride, mask_stride = width * 4, (width + 31) // 32 * 4
    rows, masks = [], []
    for source in reversed(range(width)):
        bgra = image[size + source * stride:size + (source + 1) * stride]
        rows.append(b"".join(bytes((bgra[i + 2], bgra[i + 1], bgra[i], bgra[i + 3])) for i in range(0, stride, 4)))
        mask = image[size + width * stride + source * mask_stride:]
        masks.append([mask[x // 8] >> (7 - x % 8) & 1 for x in range(width)])
    return rows, masks


def icon_bitmap(width, bits, pixel, masked):
    """A square icon bitmap: pixel(x, y) -> (r, g, b, a) top-down; masked(x, y)
    -> the AND mask bit."""
    header = struct.pack("<IiiHHIIiiII", 40, width, 2 * width, 1, bits, 0, 0, 0, 0, 0, 0)
    pixels, mask_stride, mask = b"", (width + 31) // 32 * 4, b""
    for y in reversed(range(width)):
        for x in range(width):
            r, g, b, a = pixel(x, y)
            pixels += bytes((b, g, r, a))
        bits_row = bytearray(mask_stride)
        for x in range(width):
            if masked(x, y):
                bits_row[x // 8] |= 0x80 >> (x % 8)
        mask += bytes(bits_row)
    return header + pixels + mask


def entry(width, image):
    return (width, width, 0, 0, 1, 32, len(image))


class IconCompactionTest(unittest.TestCase):
    def assert_png_shows_bitmap(self, png, bitmap):
        width, height, rows = decode_png(png)
        source_rows, source_masks = bitmap_pixels(bitmap)
        self.assertEqual((width, height), (len(source_rows), len(source_rows)))
        self.assertEqual(rows, source_rows)
        # The source mask carried nothing beyond alpha: set exactly where it is 0.
        self.assertEqual([[int(row[x * 4 + 3] == 0) for x in range(width)] for row in rows], source_masks)

    def test_program_icon_is_stored_as_pngs_of_the_same_pixels(self):
        # Holds for any icon put in resources/: each image is either a PNG
        # showing the source's pixels or the source's own bytes.
        images, entries = gen_resources.read_icon(SOURCE_ICON)
        compact, compact_entries = gen_resources.compact_icon(images, entries)
        self.assertEqual(len(compact), len(images))
        for bitmap, stored, before, after in zip(images, compact, entries, compact_entries):
            if stored.startswith(b"\x89PNG"):
                self.assert_png_shows_bitmap(stored, bitmap)
                self.assertLess(len(stored), len(bitmap))
            else:
                self.assertEqual(stored, bitmap)
            self.assertEqual(after[:6], before[:6])  # the directory keeps size and depth
            self.assertEqual(after[6], len(stored))

    def test_every_filter_round_trips(self):
        # Noise, gradients and flat areas, through each of the five filters
        # and through the encoder's own choice.
        rng = random.Random(7)
        patterns = [
            lambda x, y: (rng.randrange(256), rng.randrange(256), rng.randrange(256), rng.choice((0, 128, 255))),
            lambda x, y: (x * 16, y * 16, (x + y) * 8, 255 if x > 2 else 0),
            lambda x, y: (x * 16 % 256, 40, 200, 255),
            lambda x, y: (10, y * 16 % 256, 20, 255),
        ]
        for pattern in patterns:
            pixels = {(x, y): pattern(x, y) for y in range(16) for x in range(16)}
            rows = [b"".join(bytes(pixels[x, y]) for x in range(16)) for y in range(16)]
            for kind in range(5):
                self.assertEqual(unfilter(gen_resources.png_filter_rows(rows, kind), 16, 16), rows, kind)
            bitmap = icon_bitmap(16, 32, lambda x, y: pixels[x, y], lambda x, y: pixels[x, y][3] == 0)
            png = gen_resources.icon_image_as_png(bitmap)
            self.assertIsNotNone(png)
            self.assert_png_shows_bitmap(png, bitmap)

    def test_images_a_png_would_show_differently_stay_bitmaps(self):
        opaque = lambda x, y: (200, 100, 50, 255)  # noqa: E731
        # A mask that hides opaque pixels (an old-style "screen" area) is kept.
        mask_disagrees = icon_bitmap(16, 32, opaque, lambda x, y: x == 3)
        # Older depths carry a palette; left alone.
        old_depth = icon_bitmap(16, 24, lambda x, y: (1, 2, 3, 4), lambda x, y: False)
        truncated = icon_bitmap(16, 32, opaque, lambda x, y: False)[:-8]
        for image in (mask_disagrees, old_depth, truncated):
            self.assertIsNone(gen_resources.icon_image_as_png(image))
            compact, entries = gen_resources.compact_icon([image], [entry(16, image)])
            self.assertEqual(compact, [image])
            self.assertEqual(entries, [entry(16, image)])

    def test_resource_script_and_host_table_carry_the_same_compacted_icon(self):
        with tempfile.TemporaryDirectory() as work:
            rc, cpp = os.path.join(work, "r.rc"), os.path.join(work, "r.cpp")
            subprocess.run([sys.executable, os.path.join(ROOT, "tools", "gen_resources.py"),
                            "--icon", f"MAINICON={SOURCE_ICON}", "--rc", rc, "--cpp", cpp], check=True)
            compacted = os.path.join(work, "MAINICON.ico")
            with open(rc, encoding="utf-8") as f:
                self.assertIn(f'MAINICON ICON "{compacted}"', f.read())
            images, entries = gen_resources.read_icon(compacted)
            expected = gen_resources.compact_icon(*gen_resources.read_icon(SOURCE_ICON))
            self.assertEqual((images, entries), expected)
            with open(cpp, encoding="utf-8") as f:
                table = f.read()
            # The host's RT_ICON images are the same bytes (the first one checked).
            self.assertIn("{" + gen_resources.c_bytes(images[0]) + "}", table)


if __name__ == "__main__":
    unittest.main()
