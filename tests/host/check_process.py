#!/usr/bin/python3
"""Runs `quorlin-host process` over MIDI files written by mido and checks the results with mido.

The expected output is computed here from the input alone. By default the host plays the file
as a synthesizer hears it: every track merged in time (at a shared tick, track by track), one
plug-in instance per chosen channel (every channel but 10, the drum channel, unless told
otherwise) that has notes in a chosen track; with --per-track, each track alone, with instances
of its own. On a processed channel every note-on is preceded, at its tick, on its channel and
in its own track, by controller 65 with 127 when another key of the channel is still held (a key
is held from its note-on until its note-off, or until the tick at which its length ends) and 0
otherwise; with a speed set, controller 5 carries it on each processed channel at the first
tick that holds an event of that channel, ahead of that tick's events, in the track of the
channel's first event there; everything else comes out unchanged and in order.
"""

import os
import re
import sys

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, HERE)
sys.path.insert(0, os.path.join(HERE, "..", "..", "tools"))
import hostcheck  # noqa: E402
from midi_notes import is_note_off, is_note_on, note_lengths  # noqa: E402

mido = hostcheck.import_mido()


def absolute(track):
    tick = 0
    events = []
    for message in track:
        tick += message.time
        events.append((tick, message.copy(time=0)))
    return events


DRUMS = 9
DEFAULT_CHANNELS = set(range(16)) - {DRUMS}


def expected_file(source, speed, channels=DEFAULT_CHANNELS, tracks=None, per_track=False):
    """The tracks the host should write, each as (tick, message) pairs."""
    timed = [absolute(track) for track in source.tracks]
    bodies = [[(t, m) for t, m in events if m.type != "end_of_track"] for events in timed]
    ends = [[(t, m) for t, m in events if m.type == "end_of_track"] for events in timed]
    count = len(bodies)
    separate = per_track or source.type == 2
    streams = [[i] for i in range(count)] if separate else [list(range(count))]
    chosen = [channels if tracks is None or i + 1 in tracks else set() for i in range(count)]
    sends_speed = speed is not None and speed != "Off" and int(speed) >= 0
    out = [[] for _ in range(count)]
    for stream in streams:
        processed = set()
        for i in stream:
            processed |= {m.channel for _, m in bodies[i] if is_note_on(m) or is_note_off(m)} \
                & chosen[i]
        lengths = {i: note_lengths(bodies[i]) for i in stream}
        merged = sorted(((tick, i, k, message) for i in stream
                         for k, (tick, message) in enumerate(bodies[i])),
                        key=lambda item: item[:3])
        held = {channel: {} for channel in processed}
        started = set()

        def played(i, message):
            channel = getattr(message, "channel", None)
            return channel if channel in processed and channel in chosen[i] else None

        for index, (tick, i, k, message) in enumerate(merged):
            if index == 0 or merged[index - 1][0] != tick:
                # The position calls of the tick, one per processed channel with events here.
                for later, j, _, other in merged[index:]:
                    if later != tick:
                        break
                    channel = played(j, other)
                    if channel is not None and channel not in started:
                        started.add(channel)
                        if sends_speed:
                            out[j].append((tick, mido.Message(
                                "control_change", channel=channel, control=5, value=int(speed))))
            channel = played(i, message)
            if channel is not None and is_note_on(message):
                keys = held[channel]
                length = lengths[i].get(k, 0)
                keys[message.note] = tick + length if length > 0 else None
                for key, ends_at in list(keys.items()):
                    if ends_at is not None and ends_at <= tick:
                        del keys[key]
                value = 127 if len(keys) >= 2 else 0
                out[i].append((tick, mido.Message("control_change", channel=channel,
                                                  control=65, value=value)))
            elif channel is not None and is_note_off(message):
                held[channel].pop(message.note, None)
            out[i].append((tick, message))
    return [out[i] + ends[i] for i in range(count)]


def compare(name, source, result, speed, channels=DEFAULT_CHANNELS, tracks=None,
            per_track=False):
    if result.type != source.type or result.ticks_per_beat != source.ticks_per_beat:
        hostcheck.fail("%s: format or division changed" % name)
    if len(result.tracks) != len(source.tracks):
        hostcheck.fail("%s: %d tracks became %d" % (name, len(source.tracks), len(result.tracks)))
    wanted = expected_file(source, speed, channels, tracks, per_track)
    for number, (expected, after) in enumerate(zip(wanted, result.tracks), start=1):
        actual = absolute(after)
        if actual != expected:
            for index, (want, got) in enumerate(zip(expected, actual)):
                if want != got:
                    hostcheck.fail("%s track %d event %d: expected %s at %d, got %s at %d" % (
                        name, number, index, want[1], want[0], got[1], got[0]))
            hostcheck.fail("%s track %d: expected %d events, got %d" % (
                name, number, len(expected), len(actual)))


def track_of(messages):
    track = mido.MidiTrack()
    track.extend(messages)
    return track


def note(kind, note_number, velocity, time, channel=0):
    return mido.Message(kind, channel=channel, note=note_number, velocity=velocity, time=time)


def format0_file():
    """One track on one channel: a legato run, detached notes, a chord, a repeated key,
    note-ons with velocity 0 as note-offs, controllers, program change, pitch bend, sysex."""
    messages = [
        mido.MetaMessage("track_name", name="format 0", time=0),
        mido.MetaMessage("set_tempo", tempo=500000, time=0),
        mido.MetaMessage("time_signature", numerator=3, denominator=4, time=0),
        mido.Message("program_change", program=5, time=0),
        mido.Message("sysex", data=[0x7E, 0x7F, 0x09, 0x01], time=0),
        note("note_on", 60, 90, 0), note("note_on", 62, 90, 96), note("note_off", 60, 0, 24),
        note("note_on", 64, 90, 72), note("note_on", 62, 0, 24), note("note_off", 64, 0, 96),
        mido.Message("control_change", control=7, value=100, time=10),
        note("note_on", 67, 80, 50), note("note_off", 67, 0, 40),
        note("note_on", 69, 80, 56), note("note_off", 69, 0, 40),
        mido.Message("pitchwheel", pitch=-2000, time=0),
        note("note_on", 60, 70, 100), note("note_on", 64, 70, 0), note("note_on", 67, 70, 0),
        mido.MetaMessage("marker", text="chord", time=0),
        note("note_off", 60, 0, 192), note("note_off", 64, 0, 0), note("note_off", 67, 0, 0),
        note("note_on", 72, 100, 10), note("note_off", 72, 0, 20),
        note("note_on", 72, 100, 0), note("note_off", 72, 0, 20),
        # Back to back: the next note starts on the tick the previous one ends.
        note("note_on", 74, 100, 0), note("note_on", 76, 100, 20), note("note_off", 74, 0, 0),
        note("note_off", 76, 0, 20),
        # A note that never ends.
        note("note_on", 48, 60, 30), note("note_on", 50, 60, 30),
        mido.MetaMessage("end_of_track", time=200),
    ]
    midi = mido.MidiFile(type=0, ticks_per_beat=96)
    midi.tracks.append(track_of(messages))
    return midi


def format1_file():
    """A tempo map, a controller-only track, and two note tracks, one of which plays on two
    channels, one of them the drum channel."""
    tempo = [mido.MetaMessage("set_tempo", tempo=600000, time=0),
             mido.MetaMessage("set_tempo", tempo=400000, time=1920),
             mido.MetaMessage("end_of_track", time=0)]
    controllers = [mido.Message("control_change", channel=3, control=10, value=20, time=0),
                   mido.Message("control_change", channel=3, control=10, value=90, time=480),
                   mido.MetaMessage("end_of_track", time=10)]
    melody = [mido.MetaMessage("track_name", name="melody", time=0),
              note("note_on", 60, 100, 240, channel=1), note("note_on", 62, 100, 220, channel=1),
              note("note_off", 60, 64, 20, channel=1), note("note_off", 62, 64, 240, channel=1),
              mido.Message("sysex", data=[0x43, 0x10, 0x4C], time=0),
              note("note_on", 65, 100, 0, channel=1), note("note_off", 65, 64, 480, channel=1),
              mido.MetaMessage("end_of_track", time=0)]
    two_channels = [note("note_on", 40, 100, 480, channel=2),
                    note("note_on", 52, 100, 0, channel=9),
                    note("note_off", 52, 0, 60, channel=9),
                    note("note_on", 43, 100, 400, channel=9),
                    note("note_off", 40, 0, 20, channel=2),
                    note("note_off", 43, 0, 100, channel=9),
                    mido.MetaMessage("end_of_track", time=0)]
    midi = mido.MidiFile(type=1, ticks_per_beat=480)
    for messages in (tempo, controllers, melody, two_channels):
        midi.tracks.append(track_of(messages))
    return midi


def three_channels_file():
    """Format 0: three overlapping lines on channels 1, 2 and 3, and drums on channel 10. Each
    line is legato on its own; a key held on one channel must not make another glide."""
    events = []
    lines = {0: [60, 62, 64, 65, 67], 1: [48, 43, 48, 43, 50], 2: [72, 74, 76, 77, 79]}
    for channel, keys in lines.items():
        start = 10 * channel
        for i, key in enumerate(keys):
            on = start + 96 * i
            # Channel 1 overlaps its next note; the others are detached.
            length = 120 if channel == 0 else 80
            events.append((on, 0, note("note_on", key, 90, 0, channel=channel)))
            events.append((on + length, 1, note("note_off", key, 0, 0, channel=channel)))
    for i in range(10):
        events.append((48 * i, 0, note("note_on", 36 + i % 3, 100, 0, channel=DRUMS)))
        events.append((48 * i + 8, 1, note("note_off", 36 + i % 3, 0, 0, channel=DRUMS)))
    events.append((0, -1, mido.Message("control_change", channel=DRUMS, control=7, value=90)))
    events.append((5, -1, mido.Message("program_change", channel=1, program=33)))
    events.sort(key=lambda item: (item[0], item[1]))
    messages = [mido.MetaMessage("track_name", name="three lines and drums", time=0)]
    tick = 0
    for at, _, message in events:
        messages.append(message.copy(time=at - tick))
        tick = at
    messages.append(mido.MetaMessage("end_of_track", time=0))
    midi = mido.MidiFile(type=0, ticks_per_beat=96)
    midi.tracks.append(track_of(messages))
    return midi


def two_staves_file():
    """Format 1: a piano's two staves on channel 1, as notation programs write them: a detached
    melody over a left hand that holds each bass note under two melody notes, so melody notes
    that a track of its own would strike are legato on the channel the synthesizer hears."""
    right = [note("note_on", 72, 90, 0), note("note_off", 72, 0, 200),
             note("note_on", 74, 90, 40), note("note_off", 74, 0, 200),
             note("note_on", 76, 90, 40), note("note_off", 76, 0, 200),
             note("note_on", 77, 90, 20), note("note_off", 77, 0, 200),
             mido.MetaMessage("end_of_track", time=0)]
    left = [note("note_on", 48, 70, 0), note("note_off", 48, 0, 470),
            note("note_on", 43, 70, 10), note("note_off", 43, 0, 470),
            mido.MetaMessage("end_of_track", time=0)]
    midi = mido.MidiFile(type=1, ticks_per_beat=240)
    midi.tracks += [track_of(right), track_of(left)]
    return midi


def raw_escape_file():
    """Written byte by byte: running status across a meta event and an F7 escape event,
    which mido does not read, so this file is checked by its bytes."""
    body = bytes([0x00, 0x90, 0x3C, 0x64,              # C4 on
                  0x00, 0xF7, 0x03, 0x43, 0x12, 0x00,  # escape: three raw bytes
                  0x10, 0x3E, 0x64,                    # D4 on, running status
                  0x00, 0xFF, 0x01, 0x02, 0x68, 0x69,  # text "hi"
                  0x20, 0x3C, 0x00,                    # C4 off, running status
                  0x10, 0x80, 0x3E, 0x40,              # D4 off
                  0x00, 0xFF, 0x2F, 0x00])
    return (b"MThd" + (6).to_bytes(4, "big") + bytes([0, 0, 0, 1, 0, 96]) +
            b"MTrk" + len(body).to_bytes(4, "big") + body)


def check_raw_escape(host, work):
    source = os.path.join(work, "escape.mid")
    target = os.path.join(work, "escape-out.mid")
    with open(source, "wb") as stream:
        stream.write(raw_escape_file())
    result = host.run("process", source, "-o", target, "--force")
    if result.returncode != 0:
        hostcheck.fail("process escape.mid", result)
    with open(target, "rb") as stream:
        data = stream.read()
    # Header unchanged; then the track: CC65=0, C4 on, the escape, CC65=127, D4 on, text, offs.
    expected_track = bytes([0x00, 0xB0, 0x41, 0x00, 0x00, 0x90, 0x3C, 0x64,
                            0x00, 0xF7, 0x03, 0x43, 0x12, 0x00,
                            0x10, 0xB0, 0x41, 0x7F, 0x00, 0x90, 0x3E, 0x64,
                            0x00, 0xFF, 0x01, 0x02, 0x68, 0x69,
                            0x20, 0x90, 0x3C, 0x00,
                            0x10, 0x80, 0x3E, 0x40,
                            0x00, 0xFF, 0x2F, 0x00])
    if data[:14] != raw_escape_file()[:14]:
        hostcheck.fail("escape.mid: header changed")
    if data[14:18] != b"MTrk" or data[22:] != expected_track:
        hostcheck.fail("escape.mid: track bytes differ: " + data[22:].hex())
    if int.from_bytes(data[18:22], "big") != len(expected_track):
        hostcheck.fail("escape.mid: wrong track length")


def check_ranges_and_messages(host, work):
    """Ranges that select nothing are errors naming what the file has; a range reaching the
    last bar number draws the whole song; --speed takes Off in any case; each refusal names
    the option at fault."""
    source = os.path.join(work, "format0.mid")
    out, svg = os.path.join(work, "ranges.mid"), os.path.join(work, "ranges.svg")
    base = ["process", source, "-o", out, "--force"]
    for extra, expected in ((["--tracks", "9"], "it has 1 track(s)"),
                            (["--svg", svg, "--bars", "900-910"], "it has 4 bar(s)"),
                            (["--svg", svg, "--bars", "16-9"], "bar 16 comes after bar 9"),
                            (["--svg", "-"], "--svg needs a file name")):
        result = host.run(*(base + extra))
        if result.returncode == 0 or expected not in result.stderr or "--log" in result.stderr:
            hostcheck.fail("%s: expected %r" % (" ".join(extra), expected), result)
    lines = []
    for extra in ([], ["--bars", "1-4294967295"]):
        result = host.run(*(base + ["--svg", svg, "--speed", "oFF"] + extra))
        with open(svg, encoding="utf-8") as stream:
            lines.append(stream.read().count('class="bar"'))
        if result.returncode != 0:
            hostcheck.fail("--speed oFF %s" % " ".join(extra), result)
    if lines[0] < 3 or lines[0] != lines[1]:
        hostcheck.fail("--bars 1-4294967295 drew %d bar lines, the song %d" % (lines[1], lines[0]))
    usage = host.run("help", "process").stdout
    if "[--bars FROM-TO]" not in usage.split("\n\n")[1] or "(default: Off)" not in usage:
        hostcheck.fail("help process: the usage line lacks --bars or the speed's default")
    print("ok: empty ranges refused with what the file has, all bars drawn, --speed oFF")


def main():
    host, options = hostcheck.start(sys.argv[1:])
    os.makedirs(options.work, exist_ok=True)

    files = {"format0": format0_file(), "format1": format1_file(),
             "channels": three_channels_file(), "staves": two_staves_file()}
    # (name, extra arguments, speed, channels, tracks) beyond the default choice.
    choices = [("all", ["--channels", "all"], "64", set(range(16)), None),
               ("some", ["--channels", "2-3,10", "--tracks", "1,4"], "7", {1, 2, 9}, {1, 4})]
    runs = 0
    for name, midi in files.items():
        source = os.path.join(options.work, name + ".mid")
        midi.save(source)
        source_read = mido.MidiFile(source)
        runs_of_file = [(str(speed), [] if speed is None else ["--speed", speed], speed,
                         DEFAULT_CHANNELS, None) for speed in (None, "Off", "0", "64")]
        for label, extra, speed, channels, tracks in runs_of_file + choices:
            for per_track in (False, True):
                target = os.path.join(options.work, "%s-%s%s.mid" % (
                    name, label, "-per-track" if per_track else ""))
                if os.path.exists(target):
                    os.remove(target)
                arguments = ["process", source, "-o", target] + extra
                if label in ("all", "some"):
                    arguments += ["--speed", speed]
                if per_track:
                    arguments.append("--per-track")
                result = host.run(*arguments)
                if result.returncode != 0:
                    hostcheck.fail("process %s %s" % (name, label), result)
                compare("%s (%s%s)" % (name, label, ", per track" if per_track else ""),
                        source_read, mido.MidiFile(target), speed, channels, tracks, per_track)
                runs += 1

    # Heard as one stream, the staves' melody glides over the held bass (D5 and F5); track by
    # track it is struck.
    for suffix, wanted in (("", 2), ("-per-track", 0)):
        heard = mido.MidiFile(os.path.join(options.work, "staves-None%s.mid" % suffix))
        glides = sum(m.type == "control_change" and m.control == 65 and m.value == 127
                     for m in heard.tracks[0])
        if glides != wanted:
            hostcheck.fail("staves%s: %d melody notes glide, expected %d" % (
                suffix, glides, wanted))

    # The merged format 0 file: each line's controllers 65 follow its own keys only, so the
    # detached lines never glide although the lines overlap one another.
    merged = absolute(mido.MidiFile(os.path.join(options.work, "channels-64.mid")).tracks[0])
    glides = {}
    for _, message in merged:
        if message.type == "control_change" and message.control == 65 and message.value == 127:
            glides[message.channel] = glides.get(message.channel, 0) + 1
    if set(glides) != {0}:
        hostcheck.fail("three channels: glides on channels %s, expected only on channel 1" %
                       sorted(glides))

    logged = host.run("process", os.path.join(options.work, "format0.mid"), "-o",
                      os.path.join(options.work, "logged.mid"), "--speed", "64", "--log",
                      "--force")
    if logged.returncode != 0:
        hostcheck.fail("process --log", logged)
    events_in = sum(1 for m in files["format0"].tracks[0] if m.type != "end_of_track")
    rows = [line for line in logged.stdout.splitlines() if re.match(r"\s*\d+\s+\d+\s\s", line)]
    if "track 1: channel 1 through the plug-in" not in logged.stdout:
        hostcheck.fail("--log does not say which channels went through the plug-in", logged)
    # One row per event in, plus the position call that sent controller 5.
    if len(rows) != events_in + 1 or "#65 = 127" not in logged.stdout \
            or "#5 = 64" not in logged.stdout:
        hostcheck.fail("--log table does not list every event", logged)

    # Per track, tracks sharing a channel get one warning line; tracks on channels of their own
    # get none, and neither does the synthesizer's view, which hears the channel as one.
    shared = mido.MidiFile(type=1, ticks_per_beat=480)
    shared.tracks += [files["format1"].tracks[2]] * 2
    for midi, view, expected in ((shared, ["--per-track"], 1), (files["format1"], [], 0),
                                 (files["format1"], ["--per-track"], 0), (shared, [], 0)):
        midi.save(os.path.join(options.work, "shared.mid"))
        result = host.run("process", os.path.join(options.work, "shared.mid"), "-o",
                          os.path.join(options.work, "shared-out.mid"), "--force", *view)
        if result.stderr.count("(channel 2: tracks 1, 2)") != expected:
            hostcheck.fail("tracks sharing a channel: expected %d warning(s)" % expected, result)
    check_raw_escape(host, options.work)
    check_ranges_and_messages(host, options.work)
    print("ok: %d mido-checked runs, the logged run and the escape file" % runs)


if __name__ == "__main__":
    main()
