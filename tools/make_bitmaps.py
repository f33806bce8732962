#!/usr/bin/python3
"""Draws the two skin bitmaps, bmInspector.png and bmEditor.png, into resources/.

Run with a Python that has PIL (on Debian: /usr/bin/python3 with python3-pil). The build uses
the committed PNG files; rerun this only to change the artwork, then commit its output.

The PNG files are written chunk by chunk rather than through PIL's writer: the host expects
gamma and chromaticity chunks, and each file must come out at its fixed size, which is reached
by choosing the filter and compression settings and topping up with a text chunk.
"""

import struct
import sys
import zlib
from pathlib import Path

from PIL import Image, ImageDraw, ImageFont

RESOURCES = Path(__file__).resolve().parent.parent / "resources"

VENDOR = "Tessivar"
PRODUCT = "Quorlin"

INSPECTOR_SIZE = (157, 26)
INSPECTOR_FILL = (158, 171, 183)
INSPECTOR_FILE_SIZE = 541

EDITOR_SIZE = (161, 69)
EDITOR_FILL = (157, 173, 194)
EDITOR_FRAME = (108, 130, 153)
EDITOR_FRAME_WIDTH = 3
EDITOR_FILE_SIZE = 3024

WHITE = (255, 255, 255)
BLACK = (0, 0, 0)
TITLE_INK = (36, 48, 66)
ATTRIBUTION_INK = (74, 90, 112)

# Gamma 1/2.2 and the sRGB primaries with the D65 white point, in units of 1/100000.
GAMMA = 45454
CHROMATICITIES = (31270, 32900, 64000, 33000, 30000, 60000, 15000, 6000)


def blend(colour, towards, amount):
    return tuple(round(c + (t - c) * amount) for c, t in zip(colour, towards))


def bevel_amount(distance, steps):
    """How strongly a highlight or shade shows `distance` pixels in from its edge."""
    return steps[distance] if 0 <= distance < len(steps) else 0.0


def draw_bevelled_panel(pixels, left, top, right, bottom, fill):
    """Fills the box (inclusive) with `fill`, a soft highlight along its top and left edges,
    a dark edge two pixels wide on its right and a faint shade along its bottom."""
    top_light = (0.50, 0.28, 0.13, 0.05)
    left_light = (0.42, 0.20, 0.07)
    bottom_shade = (0.14, 0.05)
    right_edge = (0.58, 0.32)  # outermost column first
    for y in range(top, bottom + 1):
        for x in range(left, right + 1):
            from_right = right - x
            if from_right < len(right_edge):
                colour = blend(fill, BLACK, right_edge[from_right])
            else:
                light = max(bevel_amount(y - top, top_light), bevel_amount(x - left, left_light))
                colour = blend(fill, WHITE, light)
                shade = bevel_amount(bottom - y, bottom_shade)
                colour = blend(colour, BLACK, shade)
            pixels[x, y] = colour + (255,)


def scramble(value):
    """A fixed integer hash, so the grain comes out the same on every run."""
    value = (value ^ 0x9E3779B9) * 0x85EBCA6B & 0xFFFFFFFF
    value ^= value >> 13
    value = value * 0xC2B2AE35 & 0xFFFFFFFF
    return value ^ (value >> 16)


def brushed_grain(x, y):
    """0 to 4: how much a panel pixel lets through, in streaks that run across the panel."""
    streak = scramble(y) % 3
    fibre = scramble((y << 8) ^ (x // 3) ^ 0x5A5A) % 2
    return streak + fibre


def draw_text(draw, position, text, ink, emboss=None):
    """Pixel-font text, without smoothing so it stays crisp; engraved when given an emboss
    colour: a light copy one pixel down and right, the ink above it."""
    font = ImageFont.load_default()
    x, y = position
    if emboss is not None:
        draw.text((x + 1, y + 1), text, font=font, fill=emboss + (255,))
    draw.text((x, y), text, font=font, fill=ink + (255,))


def text_size(text):
    font = ImageFont.load_default()
    left, top, right, bottom = font.getbbox(text)
    return right - left, bottom - top


def draw_inspector():
    width, height = INSPECTOR_SIZE
    image = Image.new("RGBA", INSPECTOR_SIZE)
    draw_bevelled_panel(image.load(), 0, 0, width - 1, height - 1, INSPECTOR_FILL)
    return image


def draw_editor():
    width, height = EDITOR_SIZE
    image = Image.new("RGBA", EDITOR_SIZE)
    pixels = image.load()
    # The frame softens towards the outside through its alpha, never below 247.
    frame_alpha = (247, 251, 255)
    for y in range(height):
        for x in range(width):
            ring = min(x, y, width - 1 - x, height - 1 - y)
            if ring < EDITOR_FRAME_WIDTH:
                pixels[x, y] = EDITOR_FRAME + (frame_alpha[ring],)
    inner = EDITOR_FRAME_WIDTH
    draw_bevelled_panel(pixels, inner, inner, width - 1 - inner, height - 1 - inner, EDITOR_FILL)
    # A faint brushed grain in the alpha alone, so the panel keeps its exact fill colour.
    for y in range(inner, height - inner):
        for x in range(inner, width - inner):
            red, green, blue, _ = pixels[x, y]
            pixels[x, y] = (red, green, blue, 255 - brushed_grain(x, y))

    draw = ImageDraw.Draw(image)
    emboss = blend(EDITOR_FILL, WHITE, 0.45)
    # The product name, engraved, with an engraved rule below it.
    draw_text(draw, (9, 7), PRODUCT, TITLE_INK, emboss)
    for x in range(9, width - 10):
        pixels[x, 19] = blend(EDITOR_FILL, BLACK, 0.16) + (255,)
        pixels[x, 20] = emboss + (255,)

    attribution = "by " + VENDOR
    text_width, text_height = text_size(attribution)
    draw_text(draw, (width - 10 - text_width, height - 8 - text_height - 2), attribution,
              ATTRIBUTION_INK)
    return image


def chunk(kind, data):
    body = kind + data
    return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body))


def text_chunk(keyword, text):
    return chunk(b"tEXt", keyword.encode("latin-1") + b"\0" + text.encode("latin-1"))


def filtered_rows(image, choose_filter):
    """The scanlines with a filter byte each; `choose_filter` picks 0 (none) or 1 (sub),
    2 (up), 4 (Paeth) per row from the candidates it is given."""
    width, height = image.size
    raw = image.tobytes()
    stride = width * 4
    previous = bytes(stride)
    out = bytearray()
    for y in range(height):
        row = raw[y * stride:(y + 1) * stride]
        candidates = {
            0: row,
            1: bytes((row[i] - (row[i - 4] if i >= 4 else 0)) & 0xFF for i in range(stride)),
            2: bytes((row[i] - previous[i]) & 0xFF for i in range(stride)),
            4: bytes((row[i] - paeth(row[i - 4] if i >= 4 else 0, previous[i],
                                     previous[i - 4] if i >= 4 else 0)) & 0xFF
                     for i in range(stride)),
        }
        kind = choose_filter(candidates)
        out.append(kind)
        out += candidates[kind]
        previous = row
    return bytes(out)


def paeth(a, b, c):
    p = a + b - c
    pa, pb, pc = abs(p - a), abs(p - b), abs(p - c)
    if pa <= pb and pa <= pc:
        return a
    return b if pb <= pc else c


def smallest_residue(candidates):
    return min(candidates, key=lambda k: sum(v if v < 128 else 256 - v for v in candidates[k]))


def filter_strategies():
    yield "adaptive", smallest_residue
    for kind in (0, 1, 2, 4):
        yield f"filter {kind}", lambda candidates, kind=kind: kind


def compressed_variants(image):
    """Every (description, IDAT payload) the filter and zlib settings give for `image`."""
    for name, strategy in filter_strategies():
        scanlines = filtered_rows(image, strategy)
        for level in range(1, 10):
            for mem_level in (8, 9):
                compressor = zlib.compressobj(level, zlib.DEFLATED, 15, mem_level)
                payload = compressor.compress(scanlines) + compressor.flush()
                yield f"{name}, level {level}, memLevel {mem_level}", payload


def png_bytes(image, texts, payload):
    width, height = image.size
    header = struct.pack(">IIBBBBB", width, height, 8, 6, 0, 0, 0)
    parts = [b"\x89PNG\r\n\x1a\n", chunk(b"IHDR", header),
             chunk(b"gAMA", struct.pack(">I", GAMMA)),
             chunk(b"cHRM", struct.pack(">8I", *CHROMATICITIES))]
    parts += [text_chunk(keyword, text) for keyword, text in texts]
    parts += [chunk(b"IDAT", payload), chunk(b"IEND", b"")]
    return b"".join(parts)


def write_png(image, path, file_size, texts, comment):
    """Writes `image` at exactly `file_size` bytes. The settings chosen leave the least room
    over for the Comment text, which is then filled up with spaces."""
    best = None
    for settings, payload in compressed_variants(image):
        room = file_size - len(png_bytes(image, texts + [("Comment", comment)], payload))
        if room >= 0 and (best is None or room < best[0]):
            best = (room, settings, payload)
    if best is None:
        sys.exit(f"{path.name}: cannot fit into {file_size} bytes")
    room, settings, payload = best
    data = png_bytes(image, texts + [("Comment", comment + " " * room)], payload)
    assert len(data) == file_size
    path.write_bytes(data)
    print(f"{path.name}: {image.size[0]}x{image.size[1]}, {len(data)} bytes ({settings}, "
          f"{room} bytes of padding)")


def main():
    write_png(draw_inspector(), RESOURCES / "bmInspector.png", INSPECTOR_FILE_SIZE,
              [("Title", f"{PRODUCT} inspector strip"), ("Author", VENDOR)],
              "Background of the inspector's row of controls.")
    write_png(draw_editor(), RESOURCES / "bmEditor.png", EDITOR_FILE_SIZE,
              [("Title", f"{PRODUCT} editor panel"), ("Author", VENDOR),
               ("Copyright", f"{VENDOR}. All rights reserved.")],
              "Background of the editor window.")


if __name__ == "__main__":
    main()
