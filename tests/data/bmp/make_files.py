#!/usr/bin/env python3
"""Writes the malformed BMP files of this folder; run it here to regenerate them.

Each file breaks one thing a picture reader must survive. The loader's tests hold what
each must give (no image, or the rows that exist).
"""
import struct


def bmp(width, height, bits=24, rows=None, palette=None, magic=b"BM", offset=None,
        info_size=40, compression=0, image_size=None, cut=None):
    """A BMP file; `cut` keeps only that many bytes of it."""
    palette = palette or []
    pal = b"".join(struct.pack("<BBBB", b, g, r, 0) for (r, g, b) in palette)
    row_bytes = width * bits // 8 if width > 0 else 0
    stride = (row_bytes + 3) // 4 * 4
    if rows is None:
        rows = [bytes((x * 37 + y * 11) & 0xFF for x in range(row_bytes))
                for y in range(max(height, 0))]
    data = b"".join(r + b"\0" * (stride - len(r)) for r in rows)
    extra = b"\0" * (info_size - 40) if info_size > 40 else b""
    if offset is None:
        offset = 14 + max(info_size, 40) + len(pal)
    if image_size is None:
        image_size = len(data)
    info = struct.pack("<IiiHHIIiiII", info_size, width, height, 1, bits, compression,
                       image_size, 2835, 2835, len(palette), 0)
    body = info + extra + pal
    head = magic + struct.pack("<IHHI", 14 + len(body) + len(data), 0, 0, offset)
    whole = head + body + data
    return whole if cut is None else whole[:cut]


def patch(content, offset, fmt, value):
    """The file with one header field replaced."""
    field = struct.pack(fmt, value)
    return content[:offset] + field + content[offset + len(field):]


files = {
    "empty.bmp": b"",
    "wrong_magic.bmp": bmp(4, 4, magic=b"MB"),
    "truncated_file_header.bmp": bmp(4, 4, cut=10),
    "truncated_info_header.bmp": bmp(4, 4, cut=30),
    "truncated_palette.bmp": bmp(4, 4, bits=8, palette=[(i, i, i) for i in range(256)],
                                 cut=54 + 100),
    "truncated_pixels.bmp": bmp(5, 4, cut=54 + 16 * 2 + 7),
    "missing_last_padding.bmp": bmp(3, 2, cut=54 + 12 + 9),
    "zero_width.bmp": bmp(0, 4),
    "zero_height.bmp": bmp(4, 0),
    "top_down.bmp": patch(bmp(4, 4), 22, "<i", -4),
    "huge_width.bmp": patch(bmp(4, 1), 18, "<i", 0x7FFFFFFF),
    "huge_height.bmp": patch(bmp(1, 2), 22, "<i", 0x7FFFFFFF),
    "huge_area.bmp": patch(patch(bmp(4, 4), 18, "<i", 4096), 22, "<i", 4096),
    "huge_offset.bmp": bmp(4, 4, offset=0xFFFFFFF0),
    "huge_info_size.bmp": patch(bmp(4, 4), 14, "<I", 0xFFFFFFFF),
    "huge_image_size.bmp": bmp(2, 2, image_size=0xFFFFFFFF),
    "zero_image_size.bmp": bmp(3, 2, image_size=0),
    "short_image_size.bmp": bmp(4, 4, image_size=4),
    "offset_inside_headers.bmp": bmp(4, 4, offset=20),
    "compressed.bmp": bmp(4, 4, bits=8, palette=[(0, 0, 0)] * 2, compression=1),
    "bits_32.bmp": bmp(2, 2, bits=32),
    "bits_1.bmp": bmp(8, 2, bits=1),
    "short_info_size.bmp": patch(bmp(4, 4), 14, "<I", 12),
    "palette_index_beyond.bmp": bmp(2, 1, bits=8, palette=[(255, 0, 0), (0, 0, 255)],
                                    rows=[bytes([1, 200])]),
}

for name, content in files.items():
    with open(name, "wb") as out:
        out.write(content)
