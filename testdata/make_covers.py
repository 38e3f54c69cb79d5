#!/usr/bin/env python3
"""Writes the cover test books of testdata/covers/ and the cover seeds of the
image fuzzer (tests/fuzz/seeds/image/cover_*).

Books: a GIF cover, a BMP cover, and a JPEG cover whose frame header follows
the start marker directly; each must give a thumbnail. Seeds: covers that
would cost much to decode (many scans over a large frame, a PNG a million
pixels wide or tall, GIF and BMP headers declaring billions of pixels) and
the small well-formed GIF, BMP and frame-first JPEG. Every image is drawn
here and the output is deterministic.

Usage: python3 testdata/make_covers.py [--full FOLDER]
  --full also writes into FOLDER the full-cost covers of the hostile-input
  campaign (a 16,000,000x1 16-bit RGBA PNG, 125 KB) as FB2 books, for
  measuring by hand; they are too large to keep in the repository.
"""

import os
import struct
import sys
import zlib

from make_variants import binary, jpeg, png_chunk

HERE = os.path.dirname(os.path.abspath(__file__))
BOOKS = os.path.join(HERE, "covers")
SEEDS = os.path.join(HERE, "..", "tests", "fuzz", "seeds", "image")


# --- Images -----------------------------------------------------------------

def ramp(width, height, x, y):
    """A colour ramp: (red, green, blue) of pixel x, y."""
    return (255 * x // max(width - 1, 1), 255 * y // max(height - 1, 1), 128)


def bmp(width, height):
    """A 24-bit bottom-up BMP with a colour ramp."""
    pad = -(width * 3) % 4
    rows = b""
    for y in reversed(range(height)):
        row = b"".join(bytes(reversed(ramp(width, height, x, y))) for x in range(width))
        rows += row + b"\x00" * pad
    info = struct.pack("<IiiHHIIiiII", 40, width, height, 1, 24, 0, len(rows), 2835, 2835, 0, 0)
    return b"BM" + struct.pack("<IHHI", 14 + len(info) + len(rows), 0, 0, 14 + len(info)) + info + rows


def bmp_header_only(width, height):
    """A BMP that declares width x height 24-bit pixels and holds none."""
    info = struct.pack("<IiiHHIIiiII", 40, width, height, 1, 24, 0, 0, 2835, 2835, 0, 0)
    return b"BM" + struct.pack("<IHHI", 14 + len(info), 0, 0, 14 + len(info)) + info


def lzw(indices, min_size):
    """GIF's LZW coding of palette indices, as sub-blocks."""
    clear, end = 1 << min_size, (1 << min_size) + 1
    bits, nbits, out = 0, 0, bytearray()

    def emit(code, size):
        nonlocal bits, nbits
        bits |= code << nbits
        nbits += size
        while nbits >= 8:
            out.append(bits & 0xFF)
            bits >>= 8
            nbits -= 8

    table, size, next_code = {}, min_size + 1, end + 1
    emit(clear, size)
    prefix = None
    for k in indices:
        if prefix is None:
            prefix = k
            continue
        if (prefix, k) in table:
            prefix = table[(prefix, k)]
            continue
        emit(prefix, size)
        if next_code < 4096:
            table[(prefix, k)] = next_code
            if next_code == 1 << size and size < 12:
                size += 1
            next_code += 1
        else:
            emit(clear, size)
            table, size, next_code = {}, min_size + 1, end + 1
        prefix = k
    emit(prefix, size)
    emit(end, size)
    if nbits:
        out.append(bits & 0xFF)
    blocks = b"".join(bytes([len(out[i:i + 255])]) + out[i:i + 255] for i in range(0, len(out), 255))
    return bytes([min_size]) + blocks + b"\x00"


def gif(width, height, screen=None, interlaced=False):
    """A 256-colour GIF (a 16x16 colour cube of ramps); `screen` overrides the
    logical screen size the header declares."""
    palette = b"".join(bytes((16 * (i % 16), 16 * (i // 16), 128)) for i in range(256))
    rows = [[(x * 16 // width) + 16 * (y * 16 // height) for x in range(width)] for y in range(height)]
    if interlaced:
        order = list(range(0, height, 8)) + list(range(4, height, 8)) + list(range(2, height, 4)) + list(range(1, height, 2))
        rows = [rows[y] for y in order]
    sw, sh = screen or (width, height)
    return (b"GIF89a" + struct.pack("<HHBBB", sw, sh, 0xF7, 0, 0) + palette
            + b"," + struct.pack("<HHHHB", 0, 0, width, height, 0x40 if interlaced else 0)
            + lzw([i for row in rows for i in row], 8) + b";")


def gif_one_colour(width, height):
    """A two-colour GIF of width x height pixels, every one of colour 0."""
    return (b"GIF89a" + struct.pack("<HHBBB", width, height, 0x80, 0, 0) + b"\xff\xff\xff\x00\x00\x00"
            + b"," + struct.pack("<HHHHB", 0, 0, width, height, 0) + lzw([0] * (width * height), 2) + b";")


def segment(marker, payload):
    return b"\xff" + bytes([marker]) + struct.pack(">H", len(payload) + 2) + payload


def jpeg_frame_first(width, height):
    """A baseline JPEG whose frame header follows the start marker directly
    (no APP0 segment in between)."""
    data = jpeg(width, height)
    segments, at = [], 2
    while data[at + 1] != 0xDA:  # up to the scan: APP0, DQT, SOF0, DHT, DHT
        end = at + 2 + struct.unpack(">H", data[at + 2:at + 4])[0]
        segments.append(data[at:end])
        at = end
    frame = [s for s in segments if s[1] == 0xC0]
    tables = [s for s in segments if s[1] not in (0xC0, 0xE0)]
    return data[:2] + b"".join(frame + tables) + data[at:]


def jpeg_empty_scans(width, height, scans, progressive):
    """A three-component JPEG of `scans` scans that hold no coded data: a
    decoder still walks every block of the frame in each of them."""
    one_code = bytes([1] + [0] * 15) + b"\x00"
    frame = b"\x08" + struct.pack(">HH", height, width) + b"\x03" + b"\x01\x11\x00\x02\x11\x00\x03\x11\x00"
    out = (b"\xff\xd8" + segment(0xDB, b"\x00" + b"\x01" * 64) + segment(0xC2 if progressive else 0xC0, frame)
           + segment(0xC4, b"\x00" + one_code) + segment(0xC4, b"\x10" + one_code))
    for n in range(scans):
        if progressive and n == 0:  # the DC scan of all three components
            out += segment(0xDA, b"\x03\x01\x00\x02\x00\x03\x00\x00\x00\x00")
        elif progressive:  # the AC coefficients of one component
            out += segment(0xDA, b"\x01" + bytes([1 + n % 3]) + b"\x00\x01\x3f\x00")
        else:
            out += segment(0xDA, b"\x01" + bytes([1 + n % 3]) + b"\x00\x00\x3f\x00")
    return out + b"\xff\xd9"


def png(width, height, bit_depth, colour_type, channels):
    """A PNG of zero bytes: every row filter 0 and black (or transparent) pixels."""
    row = b"\x00" * (1 + (width * channels * bit_depth + 7) // 8)
    compressor = zlib.compressobj(9)
    data = b"".join(compressor.compress(row) for _ in range(height)) + compressor.flush()
    return (b"\x89PNG\r\n\x1a\n"
            + png_chunk(b"IHDR", struct.pack(">IIBBBBB", width, height, bit_depth, colour_type, 0, 0, 0))
            + png_chunk(b"IDAT", data) + png_chunk(b"IEND", b""))


# --- Books --------------------------------------------------------------------

def cover_book(title, cover_id, images):
    binaries = "".join(binary(image_id, kind, data) for image_id, kind, data in images)
    return f"""<?xml version="1.0" encoding="utf-8"?>
<FictionBook xmlns="http://www.gribuser.ru/xml/fictionbook/2.0" xmlns:l="http://www.w3.org/1999/xlink">
<description><title-info><genre>prose</genre><author><first-name>Ada</first-name><last-name>Quill</last-name></author>
<book-title>{title}</book-title><coverpage><image l:href="#{cover_id}"/></coverpage><lang>en</lang></title-info></description>
<body><section><title><p>One</p></title><p>A book whose cover is {title}.</p></section></body>
{binaries}</FictionBook>
""".encode("utf-8")


def main():
    os.makedirs(BOOKS, exist_ok=True)
    books = {
        "gif_cover.fb2": cover_book("a GIF", "cover.gif", [("cover.gif", "image/gif", gif(90, 120))]),
        "gif_interlaced_cover.fb2": cover_book("an interlaced GIF", "cover.gif",
                                               [("cover.gif", "image/gif", gif(120, 90, interlaced=True))]),
        "bmp_cover.fb2": cover_book("a BMP", "cover.bmp", [("cover.bmp", "image/bmp", bmp(75, 100))]),
        "jpeg_frame_first_cover.fb2": cover_book("a JPEG without APP0", "cover.jpg",
                                                 [("cover.jpg", "image/jpeg", jpeg_frame_first(120, 160))]),
    }
    for name, data in books.items():
        with open(os.path.join(BOOKS, name), "wb") as f:
            f.write(data)

    seeds = {
        "cover_gif_40x30.gif": gif(40, 30),
        "cover_bmp_30x40.bmp": bmp(30, 40),
        "cover_jpeg_frame_first.jpg": jpeg_frame_first(40, 24),
        "cover_gif_declares_65535x65535.gif": gif(2, 2, screen=(65535, 65535)),
        "cover_gif_2000x2000_one_colour.gif": gif_one_colour(2000, 2000),
        "cover_bmp_declares_30000x30000.bmp": bmp_header_only(30000, 30000),
        "cover_bmp_2000x2000_no_pixels.bmp": bmp_header_only(2000, 2000),
        "cover_jpeg_4000x4000_3_empty_scans.jpg": jpeg_empty_scans(4000, 4000, 3, progressive=False),
        "cover_jpeg_4000x4000_499_empty_scans.jpg": jpeg_empty_scans(4000, 4000, 499, progressive=False),
        "cover_jpeg_progressive_2000x2000_499_empty_scans.jpg": jpeg_empty_scans(2000, 2000, 499, progressive=True),
        "cover_png_16000000x1_grey16.png": png(16_000_000, 1, 16, 0, 1),
        "cover_png_1x4000000_grey8.png": png(1, 4_000_000, 8, 0, 1),
    }
    for name, data in seeds.items():
        with open(os.path.join(SEEDS, name), "wb") as f:
            f.write(data)

    if len(sys.argv) == 3 and sys.argv[1] == "--full":
        os.makedirs(sys.argv[2], exist_ok=True)
        full = dict(seeds)
        full["cover_png_16000000x1_rgba16.png"] = png(16_000_000, 1, 16, 6, 4)
        full["cover_png_1x16000000_grey8.png"] = png(1, 16_000_000, 8, 0, 1)
        for name, data in full.items():
            kind = {"jpg": "image/jpeg", "png": "image/png", "gif": "image/gif", "bmp": "image/bmp"}[name[-3:]]
            with open(os.path.join(sys.argv[2], name + ".fb2"), "wb") as f:
                f.write(cover_book(name, "c", [("c", kind, data)]))


if __name__ == "__main__":
    main()
