#!/usr/bin/env python3
"""Writes the fuzzer's starting pictures into fuzz/corpus: the game's two
smallest bitmaps and a few tiny ones of every kind the loaders meet."""
import os
import shutil
import struct

here = os.path.dirname(os.path.abspath(__file__))
out = os.path.join(here, "corpus")
os.makedirs(out, exist_ok=True)


def bmp(w, h, bits, rows, palette=(), compression=0, masks=b"", info=40):
    data = b"".join(rows)
    if info == 12:  # the old OS/2 header
        head = struct.pack("<IHHHH", 12, w, h, 1, bits)
        pal = b"".join(struct.pack("<BBB", b, g, r) for r, g, b in palette)
    else:
        head = struct.pack("<IiiHHIIiiII", 40, w, h, 1, bits, compression, len(data), 2835, 2835, len(palette), 0)
        pal = b"".join(struct.pack("<BBBB", b, g, r, 0) for r, g, b in palette)
    offset = 14 + len(head) + len(masks) + len(pal)
    return b"BM" + struct.pack("<IHHI", offset + len(data), 0, 0, offset) + head + masks + pal + data


def pad(row):
    return row + b"\0" * (-len(row) % 4)


colours = [(255, 0, 255), (255, 255, 255), (10, 20, 30), (0, 200, 0)]
seeds = {
    "bits1.bmp": bmp(5, 2, 1, [pad(b"\xa8"), pad(b"\x50")], colours[:2]),
    "bits4.bmp": bmp(3, 2, 4, [pad(b"\x01\x20"), pad(b"\x32\x10")], colours),
    "bits8.bmp": bmp(3, 2, 8, [pad(b"\0\1\2"), pad(b"\3\2\1")], colours),
    "bits16.bmp": bmp(2, 2, 16, [pad(b"\x1f\xf8\xe0\x07"), pad(b"\xff\xff\0\0")], compression=3,
                      masks=struct.pack("<III", 0xF800, 0x07E0, 0x001F)),
    "bits24w3.bmp": bmp(3, 3, 24, [pad(bytes(range(i, i + 9))) for i in (0, 50, 100)]),
    "bits32.bmp": bmp(2, 2, 32, [b"\xff\0\xff\0\x1e\x14\x0a\x80", b"\0\0\0\xff\xff\xff\xff\0"]),
    "topdown.bmp": bmp(2, -3, 24, [pad(b"\xff\0\xff\x01\x02\x03")] * 3),
    "rle8.bmp": bmp(6, 3, 8, [b"\x03\x01\x00\x03\x02\x03\x00\x00", b"\x00\x00", b"\x00\x02\x02\x01\x06\x02\x00\x01"],
                    colours, compression=1),
    "rle4.bmp": bmp(5, 2, 4, [b"\x05\x12\x00\x00", b"\x00\x05\x01\x23\x40\x00\x00\x01"], colours, compression=2),
    "os2.bmp": bmp(2, 2, 8, [pad(b"\0\1"), pad(b"\2\3")], colours, info=12),
}
for name, data in seeds.items():
    with open(os.path.join(out, name), "wb") as f:
        f.write(data)
for name in ("p1.bmp", "pileczka.bmp"):
    shutil.copy(os.path.join(here, "..", "gfx", name), os.path.join(out, "game-" + name))
