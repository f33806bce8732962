#!/usr/bin/env python3
"""Checks the skin description the library serves: its bytes, its layout and every element
and attribute value, in document order. Usage: check_skin_description.py skin.xml"""

import sys
import xml.etree.ElementTree as ElementTree

SIZE = 1302
VALUE_BOX_STYLE = "led|horiz-valuebar"

# (depth, element, attributes in document order), for every element in document order.
EXPECTED = [
    (0, "skin", []),
    (1, "resources", []),
    (2, "bitmap", [("name", "bmInspector"), ("path", "1001")]),
    (2, "bitmap", [("name", "bmEditor"), ("path", "1002")]),
    (1, "template", [("name", "inspector")]),
    (2, "image", [("bitmap", "bmInspector"), ("size", "0,6,...,...")]),
    (2, "valuebox", [("name", "portamentoSpeed"), ("tip", "Portamento Speed"),
                     ("size", "4,12,69,18"), ("style", VALUE_BOX_STYLE)]),
    (2, "label", [("title", "Portamento"), ("just", "left"), ("size", "78,12,71,18")]),
    (1, "template", [("name", "editor"), ("background", "bmEditor")]),
    (2, "valuebox", [("name", "portamentoSpeed"), ("tip", "Portamento Speed"),
                     ("size", "14,25,69,18"), ("style", VALUE_BOX_STYLE)]),
    (2, "label", [("title", "Portamento"), ("just", "left"), ("size", "88,25,71,18")]),
]


def elements(element, depth=0):
    if not isinstance(element.tag, str):  # a comment
        return
    yield depth, element.tag, list(element.attrib.items())
    for child in element:
        yield from elements(child, depth + 1)


def problems(data):
    if len(data) != SIZE:
        yield f"size is {len(data)} bytes, not {SIZE}"
    if any(byte > 0x7F or byte == 0 for byte in data):
        yield "holds bytes that are not plain ASCII text"
    if b"\r" in data.replace(b"\r\n", b"") or b"\n" in data.replace(b"\r\n", b""):
        yield "has line ends other than CR LF"
    if not data.startswith(b"<!--"):
        yield "does not open with a comment header (or has an XML declaration)"
    if not data.endswith(b"\n<!-- eof -->\r\n"):
        yield "does not end with the line '<!-- eof -->' and its CR LF"
    indents = {line[: len(line) - len(line.lstrip(b" \t"))] for line in data.split(b"\r\n")}
    if not any(b"\t" in indent for indent in indents) or not any(b" " in i for i in indents):
        yield "is not indented with both tabs and spaces"

    parser = ElementTree.XMLParser(target=ElementTree.TreeBuilder(insert_comments=True))
    root = ElementTree.fromstring(data.decode("ascii", "replace"), parser=parser)
    if not any(not isinstance(child.tag, str) for child in root):
        yield "has no comment inside the root element"
    found = list(elements(root))
    for index in range(max(len(found), len(EXPECTED))):
        want = EXPECTED[index] if index < len(EXPECTED) else None
        have = found[index] if index < len(found) else None
        if want != have:
            yield f"element {index + 1}: expected {want}, found {have}"


def main():
    with open(sys.argv[1], "rb") as file:
        data = file.read()
    faults = list(problems(data))
    for fault in faults:
        print(f"{sys.argv[1]}: {fault}")
    return 1 if faults else 0


if __name__ == "__main__":
    sys.exit(main())
