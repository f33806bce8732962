#!/usr/bin/python3
"""The piano roll of `quorlin-host process --svg` and `demo --svg`, read back as XML.

What each roll must show is worked out here from the MIDI file the same run wrote: a roll per
track that holds notes, a bar per note, a band segment wherever controller 65 went out at 64
or more (until it went out below 64 on every channel), a mark per controller 5 with its value.
"""

import collections
import os
import re
import shutil
import sys
import xml.etree.ElementTree as ElementTree

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import hostcheck  # noqa: E402

mido = hostcheck.import_mido()

SVG = "{http://www.w3.org/2000/svg}"
# The host's estimate of a label's width; labels further apart than this cannot overlap.
SPEED_CHAR_WIDTH = 6.2


def absolute(track):
    tick = 0
    for message in track:
        tick += message.time
        yield tick, message


def expected_roll(track):
    """(notes, spans, speeds) of one track as the roll must draw them."""
    events = list(absolute(track))
    end = events[-1][0] if events else 0
    notes, open_notes, spans, speeds = [], {}, [], []
    on_channels, since = set(), 0
    for tick, message in events:
        if message.type == "note_on" and message.velocity > 0:
            open_notes.setdefault((message.channel, message.note), []).append(len(notes))
            notes.append([message.note, tick, end])
        elif message.type in ("note_on", "note_off"):
            waiting = open_notes.get((message.channel, message.note))
            if waiting:
                notes[waiting.pop(0)][2] = tick
        elif message.type == "control_change" and message.control == 65:
            was_on = bool(on_channels)
            (on_channels.add if message.value >= 64 else on_channels.discard)(message.channel)
            if not was_on and on_channels:
                since = tick
            elif was_on and not on_channels and tick > since:
                spans.append((since, tick))
        elif message.type == "control_change" and message.control == 5:
            speeds.append((tick, message.value))
    if on_channels and end > since:
        spans.append((since, end))
    return [tuple(n) for n in notes], spans, speeds


def expected_glides(midi):
    """{track number: [(key, start, key glided from or None)]} as a synthesizer hears the file:
    every track's events merged by tick (at equal ticks the lower track first), one stream per
    channel. A note glides from the key controller 84 named since the channel's last note-on,
    else from the channel's last key while its latest controller 65 is 64 or more."""
    merged = sorted((tick, number, order, message)
                    for number, track in enumerate(midi.tracks, start=1)
                    for order, (tick, message) in enumerate(absolute(track)))
    channels = collections.defaultdict(lambda: {"on": False, "last": None, "named": None})
    glides = collections.defaultdict(list)
    for tick, number, _, message in merged:
        if message.type not in ("note_on", "control_change"):
            continue
        channel = channels[message.channel]
        if message.type == "note_on" and message.velocity > 0:
            origin = channel["named"] if channel["named"] is not None \
                else channel["last"] if channel["on"] else None
            glides[number].append((message.note, tick, origin))
            channel["last"], channel["named"] = message.note, None
        elif message.type == "control_change" and message.control == 65:
            channel["on"] = message.value >= 64
        elif message.type == "control_change" and message.control == 84:
            channel["named"] = message.value
    return glides


def key_of(name):
    letter, accidental, octave = re.fullmatch(r"([A-G])([#b]?)(-?[0-9]+)", name).groups()
    return ((int(octave) + 1) * 12 + "C D EF G A B".index(letter)
            + {"#": 1, "b": -1, "": 0}[accidental])


def drawn_rolls(path):
    """{track number: {notes, glides, spans, speeds, labels}} as the picture draws them."""
    try:
        root = ElementTree.parse(path).getroot()
    except ElementTree.ParseError as error:
        hostcheck.fail("%s is not well-formed XML: %s" % (path, error))
    if root.tag != SVG + "svg" or float(root.get("width")) <= 0 or float(root.get("height")) <= 0:
        hostcheck.fail("%s: the root is not a sized svg element" % path)
    if root.find(SVG + "title") is None or not root.find(SVG + "title").text:
        hostcheck.fail("%s has no title" % path)
    legend = [g for g in root.iter(SVG + "g") if g.get("class") == "legend"]
    if len(legend) != 1 or len(list(legend[0].iter(SVG + "text"))) != 4:
        hostcheck.fail("%s: the legend must name the four things drawn" % path)
    # Only references to its own elements (the plot's clip, the shared grid) are allowed.
    ids = {element.get("id") for element in root.iter() if element.get("id")}
    inside = {"url(#%s)" % name for name in ids}
    for element in root.iter():
        for name, value in element.attrib.items():
            refers = "url(" in value and value not in inside
            if (name.endswith("href") and value.lstrip("#") not in ids) or name == "src" or refers:
                hostcheck.fail("%s refers to something outside itself: %s" % (path, value))
    rolls = {}
    for roll in root.iter(SVG + "g"):
        if roll.get("class") != "roll":
            continue
        number = int(roll.get("data-track"))
        if number in rolls:
            hostcheck.fail("%s draws track %d twice" % (path, number))
        bars = [r for r in roll.iter(SVG + "rect") if "note" in r.get("class", "").split()]
        notes = [(int(r.get("data-key")), int(r.get("data-start")), int(r.get("data-end")))
                 for r in bars]
        glides = sum("glide" in r.get("class").split() for r in bars)
        origins = [re.search(r"glides from (\S+)$", r.find(SVG + "title").text) for r in bars]
        origins = [(key, start, origin and key_of(origin.group(1)))
                   for (key, start, _), origin in zip(notes, origins)]
        # A line into a note that glides starts within the roll, at its edge for a key it does
        # not show.
        rows = [float(r.get("y")) for r in roll.iter(SVG + "rect")
                if r.get("class") in ("white", "black")]
        for line in (p for p in roll.iter(SVG + "path") if p.get("class") == "glide-path"):
            y = float(line.get("d").split()[1])
            if not min(rows) <= y <= max(rows) + rows[1] - rows[0]:
                hostcheck.fail("%s: a glide line starts off its roll, at y=%s" % (path, y))
        spans = [(int(r.get("data-start")), int(r.get("data-end")))
                 for r in roll.iter(SVG + "rect") if r.get("class") == "band-on"]
        speeds, labels = [], []
        for mark in roll.iter(SVG + "g"):
            if mark.get("class") == "speed-mark":
                speeds.append((int(mark.get("data-tick")), int(mark.get("data-value"))))
                text = mark.find(SVG + "text")
                if text is not None:
                    if text.text != mark.get("data-value"):
                        hostcheck.fail("%s: speed mark labelled %s for value %s" % (
                            path, text.text, mark.get("data-value")))
                    labels.append((float(text.get("x")), text.text))
        rolls[number] = {"notes": notes, "glides": glides, "spans": spans, "speeds": speeds,
                         "labels": labels, "origins": origins}
    return root, rolls


def check_against_midi(svg_path, midi_path):
    root, rolls = drawn_rolls(svg_path)
    midi = mido.MidiFile(midi_path)
    expected = {}
    for number, track in enumerate(midi.tracks, start=1):
        notes, spans, speeds = expected_roll(track)
        if notes:
            expected[number] = (notes, spans, speeds)
    if sorted(rolls) != sorted(expected):
        hostcheck.fail("%s draws tracks %s, the file has notes in %s" % (
            svg_path, sorted(rolls), sorted(expected)))
    glides = expected_glides(midi)
    for number, (notes, spans, speeds) in expected.items():
        drawn = rolls[number]
        if sorted(drawn["origins"]) != sorted(glides[number]):
            hostcheck.fail("track %d: glides drawn %s, expected %s" % (
                number, sorted(set(drawn["origins"]) - set(glides[number]))[:4],
                sorted(set(glides[number]) - set(drawn["origins"]))[:4]))
        drawn_notes, drawn_spans, drawn_speeds = drawn["notes"], drawn["spans"], drawn["speeds"]
        labels = drawn["labels"]
        if sorted(drawn_notes) != sorted(notes):
            hostcheck.fail("track %d: notes drawn %s, expected %s" % (number, drawn_notes[:8],
                                                                      notes[:8]))
        if drawn_spans != spans:
            hostcheck.fail("track %d: portamento band %s, expected %s"
                           % (number, drawn_spans, spans))
        if drawn_speeds != speeds:
            hostcheck.fail("track %d: speed marks %s, expected %s" % (number, drawn_speeds, speeds))
        for (x, text), (next_x, _) in zip(labels, labels[1:]):
            if x + SPEED_CHAR_WIDTH * len(text) > next_x:
                hostcheck.fail("track %d: speed labels overlap at x=%s" % (number, x))
    return root, rolls


def note_track(name, channel, notes, speed_changes=(), controls=()):
    """notes: (start, length, key); speed_changes: (tick, value) controllers 5 of the file;
    controls: (tick, controller, value)."""
    events = []
    for start, length, key in notes:
        events.append((start, 1, mido.Message("note_on", channel=channel, note=key, velocity=90)))
        events.append((start + length, 0, mido.Message("note_off", channel=channel, note=key)))
    controls = [(tick, 5, value) for tick, value in speed_changes] + list(controls)
    for tick, control, value in controls:
        events.append((tick, 0, mido.Message("control_change", channel=channel, control=control,
                                             value=value)))
    events.sort(key=lambda event: (event[0], event[1]))
    track = mido.MidiTrack([mido.MetaMessage("track_name", name=name)])
    last = 0
    for tick, _, message in events:
        track.append(message.copy(time=tick - last))
        last = tick
    return track


def uneven_speeds(end):
    """Controller 5 values at gaps from crowded to roomy, as a drawn automation lane gives."""
    ticks, tick, gaps = [], 0, (60, 120, 960, 240, 1440, 60)
    while tick < end:
        ticks.append(tick)
        tick += gaps[len(ticks) % len(gaps)]
    return [(tick, (tick // 60) % 128) for tick in ticks]


def write_song(path, bars, many_speeds=False):
    song = mido.MidiFile(type=1, ticks_per_beat=480)
    conductor = mido.MidiTrack([mido.MetaMessage("set_tempo", tempo=600000),
                                mido.MetaMessage("time_signature", numerator=3, denominator=4)])
    song.tracks.append(conductor)
    melody = []
    for bar in range(bars):
        start = bar * 1440
        # Legato pairs (overlapping by an eighth), then a detached note.
        melody += [(start, 720, 60 + bar % 12), (start + 480, 480, 64 + bar % 7),
                   (start + 1200, 120, 67)]
    speeds = uneven_speeds(bars * 1440) if many_speeds else [(1440, 10), (2880, 90)]
    song.tracks.append(note_track("Lead \xe9", 0, melody, speeds))
    bass = [(bar * 1440, 1500, 36 + bar % 5) for bar in range(bars)]
    song.tracks.append(note_track("Bass", 3, bass))
    song.save(path)


def check_demo(host, work):
    svg, midi = os.path.join(work, "demo.svg"), os.path.join(work, "demo.mid")
    result = host.run("demo", "-o", midi, "--svg", svg, "--force")
    if result.returncode != 0 or "Wrote %s: the piano roll" % svg not in result.stdout:
        hostcheck.fail("demo --svg", result)
    _, rolls = check_against_midi(svg, midi)
    roll = rolls[1]
    labels = [text for _, text in roll["labels"]]
    # The run's four later notes and the chord's upper two glide in; a single speed of 40.
    if len(roll["notes"]) != 15 or roll["glides"] != 6 or roll["speeds"] != [(0, 40)] \
            or labels != ["40"]:
        hostcheck.fail("demo roll: %d notes, %d glide in, speeds %s labelled %s" % (
            len(roll["notes"]), roll["glides"], roll["speeds"], labels))
    print("ok: demo roll, %d notes, %d glide in, band %s" % (len(roll["notes"]), roll["glides"],
                                                             roll["spans"]))


def check_process(host, work):
    song, out, svg = (os.path.join(work, name) for name in ("song.mid", "song-out.mid",
                                                            "song.svg"))
    write_song(song, 8)
    result = host.run("process", song, "-o", out, "--speed", "25", "--svg", svg, "--force")
    if result.returncode != 0:
        hostcheck.fail("process --svg", result)
    root, rolls = check_against_midi(svg, out)
    lead = rolls.get(2, {"spans": [], "speeds": [], "glides": 0})
    if sorted(rolls) != [2, 3] or not lead["spans"] or not lead["glides"] \
            or (0, 25) not in lead["speeds"]:
        hostcheck.fail("song roll: tracks %s, band %s, speeds %s" % (sorted(rolls), lead["spans"],
                                                                     lead["speeds"]))
    headings = [t.text for t in root.iter(SVG + "text") if t.get("class") == "heading"]
    if not headings or "Lead \u00e9" not in headings[0] or "100 bpm, 3/4" not in headings[0]:
        hostcheck.fail("song headings: %s" % headings)
    print("ok: song roll, tracks %s" % sorted(rolls))

    off_svg = os.path.join(work, "song-off.svg")
    result = host.run("process", song, "-o", out, "--speed", "Off", "--svg", off_svg, "--force")
    if result.returncode != 0:
        hostcheck.fail("process --speed Off --svg", result)
    _, rolls = check_against_midi(off_svg, out)
    # The file's own controller 5 events remain; the plug-in adds none.
    if rolls[2]["speeds"] != [(1440, 10), (2880, 90)] or rolls[3]["speeds"]:
        hostcheck.fail("speed Off: marks %s %s" % (rolls[2]["speeds"], rolls[3]["speeds"]))
    # Glides are drawn, but with no time of its own a synthesizer plays none: the caption says so.
    if "no glide is heard" not in open(off_svg, encoding="utf-8").read():
        hostcheck.fail("speed Off: the caption does not say that no glide is heard")
    print("ok: with the speed Off only the file's own controller 5 events are marked")


def check_long_song(host, work):
    song, out, svg = (os.path.join(work, name) for name in ("long.mid", "long-out.mid",
                                                            "long.svg"))
    write_song(song, 400, many_speeds=True)
    result = host.run("process", song, "-o", out, "--speed", "64", "--svg", svg, "--force")
    if result.returncode != 0:
        hostcheck.fail("process --svg of a long song", result)
    root, rolls = check_against_midi(svg, out)
    quarters = 400 * 3
    if float(root.get("width")) < quarters * 20:
        hostcheck.fail("long song squeezed into %s pixels" % root.get("width"))
    # The ruler every roll shows.
    ruler = next(g for g in root.iter(SVG + "g") if g.get("id") == "ruler")
    numbers = [float(t.get("x")) for t in ruler.iter(SVG + "text")
               if t.get("class") == "bar-number"]
    if any(b - a < 38 for a, b in zip(numbers, numbers[1:])) or len(numbers) < 100:
        hostcheck.fail("long song: %d bar numbers, some closer than 38 pixels" % len(numbers))
    marks, labels = len(rolls[2]["speeds"]), len(rolls[2]["labels"])
    if not marks / 10 < labels < marks * 3 / 4:
        hostcheck.fail("long song: %d of %d speed marks labelled" % (labels, marks))
    print("ok: long song, %s pixels wide, %d bar numbers, %d of %d speed marks labelled" % (
        root.get("width"), len(numbers), labels, marks))

    # Bars 101 to 108 of it: a picture of ordinary width whose plot shows just those bars.
    part = os.path.join(work, "long-part.svg")
    result = host.run("process", song, "-o", out, "--speed", "64", "--svg", part, "--bars",
                      "101-108", "--force")
    if result.returncode != 0:
        hostcheck.fail("process --svg --bars", result)
    root = ElementTree.parse(part).getroot()
    clip = root.find(".//%sclipPath/%srect" % (SVG, SVG))
    left, width = float(clip.get("x")), float(clip.get("width"))
    ruler = next(g for g in root.iter(SVG + "g") if g.get("id") == "ruler")
    shown = sorted(int(t.text) for t in ruler.iter(SVG + "text") if t.get("class") == "bar-number"
                   and left <= float(t.get("x")) - 3 < left + width - 1)
    if float(root.get("width")) > 2000 or not shown or shown[0] != 101 or shown[-1] > 108:
        hostcheck.fail("--bars 101-108: %s pixels wide, bars %s in the plot" % (
            root.get("width"), shown))
    print("ok: --bars 101-108 shows bars %s in %s pixels" % (shown, root.get("width")))


def check_shared_channel(host, work):
    """Two staves on channel 1: G4 glides from the key the other staff struck last, D3, not from
    F4 before it; A4 from C4, which controller 84 names, not from G4."""
    song, out, svg = (os.path.join(work, name) for name in ("staves.mid", "staves-out.mid",
                                                            "staves.svg"))
    staves = mido.MidiFile(type=1, ticks_per_beat=480)
    staves.tracks.append(note_track("Right hand", 0, [(480, 600, 64), (600, 100, 65),
                                                      (960, 480, 67), (1200, 480, 69)],
                                    controls=[(1100, 84, 60)]))
    staves.tracks.append(note_track("Left hand", 0, [(0, 1920, 48), (720, 480, 50)]))
    staves.save(song)
    result = host.run("process", song, "-o", out, "--speed", "25", "--svg", svg, "--force")
    if result.returncode != 0:
        hostcheck.fail("process --svg of two staves", result)
    _, rolls = check_against_midi(svg, out)
    if not {(67, 960, 50), (69, 1200, 60)} <= set(rolls[1]["origins"]):
        hostcheck.fail("staves: the right hand glides %s" % rolls[1]["origins"])
    print("ok: staves, the right hand glides from the left hand's D3 and from C4 named")


def check_refusals(host, work):
    good = os.path.join(work, "good.mid")
    write_song(good, 2)
    out_dir = os.path.join(work, "out")
    shutil.rmtree(out_dir, ignore_errors=True)
    os.makedirs(out_dir)
    cases = [
        ("roll in a missing directory", ["process", good, "-o", os.path.join(out_dir, "a.mid"),
                                         "--svg", os.path.join(work, "none", "a.svg")]),
        ("roll onto a directory", ["demo", "-o", os.path.join(out_dir, "d.mid"), "--svg",
                                   out_dir]),
        ("roll for info", ["info", "--svg", os.path.join(out_dir, "i.svg")]),
    ]
    if host.emulated:
        cases = cases[:1]
    for name, arguments in cases:
        result = host.run(*arguments)
        errors = host.error_lines(result)
        if result.returncode == 0 or len(errors) != 1:
            hostcheck.fail("%s: expected one error line and a failure" % name, result)
        # Neither the MIDI file nor the picture, nor a temporary, is left behind.
        if os.listdir(out_dir):
            hostcheck.fail("%s: left %s behind" % (name, os.listdir(out_dir)), result)
        print("ok: %-28s %s" % (name, errors[0]))


def main():
    host, options = hostcheck.start(sys.argv[1:])
    shutil.rmtree(options.work, ignore_errors=True)
    os.makedirs(options.work)
    check_demo(host, options.work)
    check_process(host, options.work)
    if not host.emulated:
        check_long_song(host, options.work)
    check_shared_channel(host, options.work)
    check_refusals(host, options.work)


if __name__ == "__main__":
    main()
