#!/usr/bin/python3
"""Checks the two skin bitmaps: PNG format and chunks, sizes, colours, edges, alpha and text
(chunk integrity is pngcheck's). Usage: check_bitmaps.py RESOURCE_DIRECTORY.
Needs PIL: without it the check fails and names it."""

import struct
import sys
from pathlib import Path

try:
    from PIL import Image
except ImportError:
    print("missing: PIL for %s (install python3-pil)" % sys.executable)
    sys.exit(1)

GAMMA = 45454
SRGB_CHROMATICITIES = (31270, 32900, 64000, 33000, 30000, 60000, 15000, 6000)
INSPECTOR_FILL = (158, 171, 183)
EDITOR_FILL = (157, 173, 194)
EDITOR_FRAME = (108, 130, 153)


def chunks(data):
    offset = 8
    while offset < len(data):
        (length,) = struct.unpack_from(">I", data, offset)
        kind = data[offset + 4:offset + 8]
        body = data[offset + 8:offset + 8 + length]
        yield kind, body
        offset += 12 + length


def format_problems(data, size, file_size):
    if len(data) != file_size:
        yield f"file is {len(data)} bytes, not {file_size}"
    if not data.startswith(b"\x89PNG\r\n\x1a\n"):
        yield "no PNG signature"
        return
    found = list(chunks(data))
    kinds = [kind for kind, _ in found]
    header = dict(found)
    width, height, depth, colour, _, _, interlace = struct.unpack(">IIBBBBB", header[b"IHDR"])
    if (width, height) != size:
        yield f"is {width}x{height}, not {size[0]}x{size[1]}"
    if (depth, colour, interlace) != (8, 6, 0):
        yield f"bit depth {depth}, colour type {colour}, interlace {interlace}"
    if header.get(b"gAMA") != struct.pack(">I", GAMMA):
        yield "gAMA is missing or not 0.45454"
    if header.get(b"cHRM") != struct.pack(">8I", *SRGB_CHROMATICITIES):
        yield "cHRM is missing or not sRGB with D65"
    if b"IDAT" in kinds and any(kinds.index(k) > kinds.index(b"IDAT") for k in (b"gAMA", b"cHRM")
                                if k in kinds):
        yield "gAMA or cHRM follows the image data"


def lighter(pixel, than):
    return all(p > t for p, t in zip(pixel[:3], than))


def darker(pixel, than):
    return all(p < t for p, t in zip(pixel[:3], than))


def ink_count(image, box):
    """Pixels in the box much darker than the panel: the pixels of text."""
    left, top, right, bottom = box
    return sum(1 for y in range(top, bottom) for x in range(left, right)
               if sum(image.getpixel((x, y))[:3]) < 330)


def inspector_problems(image):
    width, height = image.size
    if image.getchannel("A").getextrema() != (255, 255):
        yield "is not fully opaque"
    for point in [(20, 13), (80, 10), (150, 20), (153, 13)]:
        if image.getpixel(point)[:3] != INSPECTOR_FILL:
            yield f"fill at {point} is {image.getpixel(point)}"
    if not (lighter(image.getpixel((80, 0)), INSPECTOR_FILL)
            and lighter(image.getpixel((0, 13)), INSPECTOR_FILL)):
        yield "no highlight along the top and left edges"
    for y in (1, 13, height - 2):
        if not all(darker(image.getpixel((x, y)), INSPECTOR_FILL) for x in (width - 2, width - 1)):
            yield f"no two-pixel dark right edge in row {y}"


def editor_problems(image):
    width, height = image.size
    if image.getchannel("A").getextrema() != (247, 255):
        yield f"alpha spans {image.getchannel('A').getextrema()}, not 247 to 255"
    for ring in range(3):
        frame = [(x, ring) for x in range(ring, width - ring)]
        frame += [(ring, y) for y in range(ring, height - ring)]
        frame += [(width - 1 - ring, y) for y in range(ring, height - ring)]
        frame += [(x, height - 1 - ring) for x in range(ring, width - ring)]
        if any(image.getpixel(point)[:3] != EDITOR_FRAME for point in frame):
            yield f"frame ring {ring} is not the frame colour"
    for point in [(20, 30), (80, 40), (140, 30), (30, 60), (150, 45)]:
        if image.getpixel(point)[:3] != EDITOR_FILL:
            yield f"fill at {point} is {image.getpixel(point)}"
    if not (lighter(image.getpixel((80, 3)), EDITOR_FILL)
            and lighter(image.getpixel((3, 34)), EDITOR_FILL)):
        yield "no highlight along the panel's top and left edges"
    if not darker(image.getpixel((width - 4, 34)), EDITOR_FILL):
        yield "no dark right edge inside the frame"
    if ink_count(image, (3, 3, 60, 20)) < 40:
        yield "no product name in the upper left corner"
    if ink_count(image, (80, 44, width - 3, height - 3)) < 40:
        yield "no attribution in the lower right corner"
    if ink_count(image, (3, 22, width - 5, 44)) + ink_count(image, (3, 44, 80, height - 3)) > 0:
        yield "text outside its corners"


def main():
    directory = Path(sys.argv[1])
    bitmaps = [("bmInspector.png", (157, 26), 541, inspector_problems),
               ("bmEditor.png", (161, 69), 3024, editor_problems)]
    faults = []
    for name, size, file_size, pixel_problems in bitmaps:
        data = (directory / name).read_bytes()
        found = list(format_problems(data, size, file_size))
        with Image.open(directory / name) as image:
            image.load()
            if image.mode != "RGBA" or image.size != size:
                found.append(f"opens as {image.mode} {image.size}")
            else:
                found += pixel_problems(image)
        faults += [f"{name}: {fault}" for fault in found]
    for fault in faults:
        print(fault)
    return 1 if faults else 0


if __name__ == "__main__":
    sys.exit(main())
