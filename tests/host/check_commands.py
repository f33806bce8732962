#!/usr/bin/python3
"""quorlin-host info, demo and skin against the real plug-in library."""

import base64
import json
import os
import re
import shutil
import sys
import xml.etree.ElementTree as ElementTree

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import hostcheck  # noqa: E402


def check_info(host):
    result = host.run("info")
    if result.returncode != 0:
        hostcheck.fail("info", result)
    for expected in ("Vendor           Tessivar", "category \"Midi Module Class\"",
                     "name \"Quorlin\"", "class 9E2B47D1-6A3C-4F85-B1D0-27C5E8A94F3B",
                     "module information  3",
                     re.compile(r"portamentoSpeed\s+range -1 \.\. 127  value -1  text \"Off\"")):
        found = expected.search(result.stdout) if hasattr(expected, "search") \
            else expected in result.stdout
        if not found:
            hostcheck.fail("info lacks %r" % getattr(expected, "pattern", expected), result)
    # What a musician reads first: the plug-in, then its parameter and range; records after.
    summary, _, records = result.stdout.partition("\nTechnical details\n")
    if not summary.startswith("Quorlin by Tessivar, a MIDI plug-in") or \
            "now Off, from -1 to 127" not in summary or "cardinality" in summary or not records:
        hostcheck.fail("info does not open with the musician's summary", result)


def check_demo(host, work, mido):
    target = os.path.join(work, "demo.mid")
    result = host.run("demo", "-o", target, "--force")
    if result.returncode != 0:
        hostcheck.fail("demo", result)
    for expected in ("#65 = 0", "#65 = 127", "#5 = 40", "Wrote "):
        if expected not in result.stdout:
            hostcheck.fail("demo table lacks %r" % expected, result)
    if mido is None:
        return
    midi = mido.MidiFile(target)
    controls = [(m.control, m.value) for m in midi.tracks[0] if m.type == "control_change"]
    notes_on = [m for m in midi.tracks[0] if m.type == "note_on" and m.velocity > 0]
    legato = [value for control, value in controls if control == 65]
    if len(legato) != len(notes_on) or set(legato) != {0, 127} or (5, 40) not in controls:
        hostcheck.fail("demo file: controller 65 %s, controllers %s" % (legato, controls))
    # The default file name lands in the working directory.
    result = host.run("demo", "--force", cwd=work)
    if result.returncode != 0 or not os.path.isfile(os.path.join(work, "quorlin-demo.mid")):
        hostcheck.fail("demo without -o", result)


def check_skin(host, work):
    out = os.path.join(work, "skin")
    shutil.rmtree(out, ignore_errors=True)
    result = host.run("skin", "--out", out)
    if result.returncode != 0:
        hostcheck.fail("skin", result)
    files = sorted(os.listdir(out))
    if files != ["bmEditor.png", "bmInspector.png", "editor.xml", "inspector.xml",
                 "preview.html"]:
        hostcheck.fail("skin wrote %s" % files, result)
    with open(os.path.join(out, "inspector.xml"), "rb") as stream:
        document = stream.read()
    root = ElementTree.fromstring(document)
    paths = {b.get("name"): b.get("path") for b in root.iter("bitmap")}
    if paths != {"bmInspector": "1001", "bmEditor": "1002"}:
        hostcheck.fail("skin description names bitmaps %s" % paths)

    with open(os.path.join(out, "preview.html"), encoding="utf-8") as stream:
        page = stream.read()
    found = re.search(r'<script type="application/json" id="skin-data">(.*?)</script>', page,
                      re.S)
    if not found:
        hostcheck.fail("preview.html has no embedded skin data")
    data = json.loads(found.group(1))
    views = {view["name"]: view for view in data["views"]}
    if set(views) != {"inspector", "editor"}:
        hostcheck.fail("preview views: %s" % list(views))
    for name, view in views.items():
        if view["template"] != name or view["document"].encode("latin-1") != document:
            hostcheck.fail("preview view %s carries another template or document" % name)
    sizes = {"bmInspector": (157, 26), "bmEditor": (161, 69)}
    for name, (width, height) in sizes.items():
        bitmap = data["bitmaps"][name]
        prefix = "data:image/png;base64,"
        with open(os.path.join(out, name + ".png"), "rb") as stream:
            written = stream.read()
        if (bitmap["width"], bitmap["height"]) != (width, height) \
                or not bitmap["url"].startswith(prefix) \
                or base64.b64decode(bitmap["url"][len(prefix):]) != written \
                or not written.startswith(b"\x89PNG\r\n\x1a\n"):
            hostcheck.fail("preview bitmap %s does not match the written file" % name)
    speed = data["parameters"].get("portamentoSpeed")
    if speed != {"text": "Off", "value": -1, "min": -1, "max": 127}:
        hostcheck.fail("preview parameter: %s" % speed)
    if re.search(r'(src|href)\s*=\s*["\']', page):
        hostcheck.fail("preview.html refers to something outside itself")


def main():
    host, options = hostcheck.start(sys.argv[1:])
    os.makedirs(options.work, exist_ok=True)
    try:
        import mido
    except ImportError:
        mido = None
        print("note: mido is not installed; the demo file is checked by the table only")
    check_info(host)
    check_demo(host, options.work, mido)
    check_skin(host, options.work)
    print("ok: info, demo and skin")


if __name__ == "__main__":
    main()
