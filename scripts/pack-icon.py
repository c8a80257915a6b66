#!/usr/bin/env python3
"""Packs PNG images into one .ico whose every layer is PNG-compressed (Windows Vista and later
read PNG layers at every size), smallest first. Each PNG keeps only its image chunks and is
recompressed at zlib's best level. A layer given as an .ico contributes its images, 32-bit
bitmap layers converted to PNG; --sizes keeps only the sizes listed.
Usage: pack-icon.py [--sizes 16,32,48,256] OUT.ico LAYER.png|ICON.ico..."""

import struct
import sys
import zlib


def chunks(data: bytes):
    at = 8
    while at < len(data):
        length, kind = struct.unpack_from(">I4s", data, at)
        yield kind, data[at + 8:at + 8 + length]
        at += 12 + length


def minimal_png(data: bytes) -> tuple[int, int, bytes]:
    if data[:8] != b"\x89PNG\r\n\x1a\n":
        raise SystemExit("pack-icon: not a PNG file")
    header, pixels = b"", b""
    for kind, body in chunks(data):
        if kind == b"IHDR":
            header = body
        elif kind == b"IDAT":
            pixels += body
    width, height = struct.unpack_from(">II", header)

    def chunk(kind: bytes, body: bytes) -> bytes:
        return struct.pack(">I", len(body)) + kind + body + struct.pack(">I", zlib.crc32(kind + body))
    packed = zlib.compress(zlib.decompress(pixels), 9)
    return width, height, (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header) + chunk(b"IDAT", packed)
                           + chunk(b"IEND", b""))


def png_of_bitmap(dib: bytes) -> bytes:
    """A 32-bit BGRA icon bitmap (bottom-up, its height doubled for the mask) as a PNG."""
    _, width, doubled, _, bits = struct.unpack_from("<IiiHH", dib)
    if bits != 32:
        raise SystemExit("pack-icon: only 32-bit bitmap layers can be converted")
    height = doubled // 2
    rows = []
    for y in range(height - 1, -1, -1):
        row = dib[40 + y * width * 4:40 + (y + 1) * width * 4]
        rows.append(b"\x00" + b"".join(row[x + 2:x + 3] + row[x + 1:x + 2] + row[x:x + 1]
                                       + row[x + 3:x + 4] for x in range(0, len(row), 4)))

    def chunk(kind: bytes, body: bytes) -> bytes:
        return struct.pack(">I", len(body)) + kind + body + struct.pack(">I", zlib.crc32(kind + body))
    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", width, height, 8, 6, 0, 0, 0))
            + chunk(b"IDAT", zlib.compress(b"".join(rows))) + chunk(b"IEND", b""))


def layers_of(path: str) -> list[bytes]:
    data = open(path, "rb").read()
    if not path.lower().endswith(".ico"):
        return [data]
    count = struct.unpack_from("<H", data, 4)[0]
    out = []
    for i in range(count):
        size, offset = struct.unpack_from("<II", data, 6 + 16 * i + 8)
        image = data[offset:offset + size]
        out.append(image if image[:8] == b"\x89PNG\r\n\x1a\n" else png_of_bitmap(image))
    return out


def main(out: str, layers: list[str], sizes: set[int] | None) -> int:
    images = sorted((minimal_png(png) for path in layers for png in layers_of(path)),
                    key=lambda i: i[0])
    images = [image for image in images if sizes is None or image[0] in sizes]
    offset = 6 + 16 * len(images)
    entries, bodies = b"", b""
    for width, height, png in images:
        entries += struct.pack("<BBBBHHII", width % 256, height % 256, 0, 0, 1, 32, len(png),
                               offset + len(bodies))
        bodies += png
    with open(out, "wb") as icon:
        icon.write(struct.pack("<HHH", 0, 1, len(images)) + entries + bodies)
    return 0


if __name__ == "__main__":
    arguments = sys.argv[1:]
    wanted = None
    if arguments[:1] == ["--sizes"]:
        wanted = {int(size) for size in arguments[1].split(",")}
        arguments = arguments[2:]
    sys.exit(main(arguments[0], arguments[1:], wanted))
