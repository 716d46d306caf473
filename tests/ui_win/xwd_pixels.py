#!/usr/bin/env python3
"""Reads the pixels of one X window dumped by `xwd -id WINDOW`, alpha included.

A layered window under Wine is an X window with a 32-bit visual whose pixels
carry the per-pixel alpha (premultiplied) that UpdateLayeredWindow was given.
Without a compositing manager the screen shows those pixels as if alpha were
255, so the alpha can only be checked in the window's own dump. A window of a
24-bit visual reads as opaque.

  xwd_pixels.py DUMP px X Y                      -> AARRGGBB
  xwd_pixels.py DUMP count X0 Y0 X1 Y1 AARRGGBB [TOLERANCE]
                    -> how many pixels of [X0,X1) x [Y0,Y1) are within
                       TOLERANCE (per channel, default 0) of the colour
  xwd_pixels.py DUMP png OUT RRGGBB              -> the window composed over a
                       plain backdrop of that colour, as a PNG
"""
import struct
import sys
import zlib


def load(path):
    data = open(path, "rb").read()
    fields = struct.unpack(">25I", data[:100])
    (header_size, _version, _format, depth, width, height, _xoffset, byte_order, _unit, _bit_order, _pad,
     bits_per_pixel, bytes_per_line, _visual_class, red_mask, green_mask, blue_mask, _bits_per_rgb,
     _colormap_entries, ncolors) = fields[:20]
    if bits_per_pixel != 32:
        raise SystemExit(f"xwd_pixels: {bits_per_pixel} bits per pixel not supported")
    offset = header_size + ncolors * 12
    endian = "<" if byte_order == 0 else ">"
    alpha_mask = 0 if depth < 32 else (0xFFFFFFFF & ~(red_mask | green_mask | blue_mask))

    def shift(mask):
        s = 0
        while mask and not (mask >> s) & 1:
            s += 1
        return s

    shifts = [shift(m) for m in (alpha_mask, red_mask, green_mask, blue_mask)]
    rows = []
    for y in range(height):
        start = offset + y * bytes_per_line
        values = struct.unpack(f"{endian}{width}I", data[start:start + width * 4])
        row = []
        for v in values:
            a = (v & alpha_mask) >> shifts[0] if alpha_mask else 255
            r = (v & red_mask) >> shifts[1]
            g = (v & green_mask) >> shifts[2]
            b = (v & blue_mask) >> shifts[3]
            row.append((a, r, g, b))
        rows.append(row)
    return width, height, rows


def parse_colour(text):
    v = int(text.lstrip("#"), 16)
    if len(text.lstrip("#")) <= 6:
        v |= 0xFF000000
    return ((v >> 24) & 255, (v >> 16) & 255, (v >> 8) & 255, v & 255)


def write_png(path, width, height, rgb_rows):
    raw = b"".join(b"\x00" + bytes(c for px in row for c in px) for row in rgb_rows)

    def chunk(kind, body):
        return struct.pack(">I", len(body)) + kind + body + struct.pack(">I", zlib.crc32(kind + body) & 0xFFFFFFFF)

    png = b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", width, height, 8, 2, 0, 0, 0))
    png += chunk(b"IDAT", zlib.compress(raw, 6)) + chunk(b"IEND", b"")
    open(path, "wb").write(png)


def main(argv):
    width, height, rows = load(argv[1])
    cmd = argv[2]
    if cmd == "px":
        x, y = int(argv[3]), int(argv[4])
        if not (0 <= x < width and 0 <= y < height):
            raise SystemExit(f"xwd_pixels: {x},{y} outside {width}x{height}")
        print("%02X%02X%02X%02X" % rows[y][x])
    elif cmd == "count":
        x0, y0, x1, y1 = (int(v) for v in argv[3:7])
        want = parse_colour(argv[7])
        tolerance = int(argv[8]) if len(argv) > 8 else 0
        n = 0
        for y in range(max(0, y0), min(height, y1)):
            for x in range(max(0, x0), min(width, x1)):
                if all(abs(c - w) <= tolerance for c, w in zip(rows[y][x], want)):
                    n += 1
        print(n)
    elif cmd == "png":
        _, br, bg, bb = parse_colour(argv[4])
        out = []
        for row in rows:
            # Premultiplied source over the backdrop.
            out.append([(min(255, r + br * (255 - a) // 255), min(255, g + bg * (255 - a) // 255),
                         min(255, b + bb * (255 - a) // 255)) for a, r, g, b in row])
        write_png(argv[3], width, height, out)
    else:
        raise SystemExit(__doc__)


if __name__ == "__main__":
    main(sys.argv)
