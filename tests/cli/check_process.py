#!/usr/bin/python3
"""Runs `quorlin-host process` over MIDI files written by mido and checks the results with mido.

The expected output is computed here from the input alone: every note-on is preceded, at its
tick and on its channel, by controller 65 with 127 when another key is still held (by note
number, across channels; a key is held from its note-on until its note-off, or until the tick
at which its length ends) and 0 otherwise; with a speed set, controller 5 carries it at the
track's first tick on the track's first channel; everything else comes out unchanged and in
order. Tracks without notes are copied as they are.
"""

import os
import re
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import hostcheck  # noqa: E402

mido = hostcheck.import_mido()


def absolute(track):
    tick = 0
    events = []
    for message in track:
        tick += message.time
        events.append((tick, message.copy(time=0)))
    return events


def is_note_on(message):
    return message.type == "note_on" and message.velocity > 0


def is_note_off(message):
    return message.type == "note_off" or (message.type == "note_on" and message.velocity == 0)


def note_lengths(events):
    lengths = {}
    open_notes = {}
    for index, (tick, message) in enumerate(events):
        if is_note_on(message):
            open_notes.setdefault((message.channel, message.note), []).append(index)
        elif is_note_off(message):
            waiting = open_notes.get((message.channel, message.note))
            if waiting:
                start = waiting.pop(0)
                lengths[start] = tick - events[start][0]
    return lengths


def expected_track(track, speed):
    events = absolute(track)
    if not any(is_note_on(m) or is_note_off(m) for _, m in events):
        return events
    body = [(t, m) for t, m in events if m.type != "end_of_track"]
    end = [(t, m) for t, m in events if m.type == "end_of_track"]
    lengths = note_lengths(body)
    first_channel = next(m.channel for _, m in body if hasattr(m, "channel"))
    held = {}
    out = []
    if speed is not None and speed != "Off" and int(speed) >= 0 and body:
        out.append((body[0][0], mido.Message("control_change", channel=first_channel,
                                             control=5, value=int(speed))))
    for index, (tick, message) in enumerate(body):
        if is_note_on(message):
            length = lengths.get(index, 0)
            held[message.note] = tick + length if length > 0 else None
            for note, ends in list(held.items()):
                if ends is not None and ends <= tick:
                    del held[note]
            value = 127 if len(held) >= 2 else 0
            out.append((tick, mido.Message("control_change", channel=message.channel,
                                           control=65, value=value)))
        elif is_note_off(message):
            held.pop(message.note, None)
        out.append((tick, message))
    return out + end


def compare(name, source, result, speed):
    if result.type != source.type or result.ticks_per_beat != source.ticks_per_beat:
        hostcheck.fail("%s: format or division changed" % name)
    if len(result.tracks) != len(source.tracks):
        hostcheck.fail("%s: %d tracks became %d" % (name, len(source.tracks), len(result.tracks)))
    for number, (before, after) in enumerate(zip(source.tracks, result.tracks), start=1):
        expected = expected_track(before, speed)
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
    channels; keys held on one channel count for a note-on on the other."""
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
    result = host.run("process", source, "-o", target)
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


def main():
    host, options = hostcheck.start(sys.argv[1:])
    os.makedirs(options.work, exist_ok=True)

    files = {"format0": format0_file(), "format1": format1_file()}
    runs = 0
    for name, midi in files.items():
        source = os.path.join(options.work, name + ".mid")
        midi.save(source)
        source_read = mido.MidiFile(source)
        for speed in (None, "Off", "0", "64"):
            target = os.path.join(options.work, "%s-%s.mid" % (name, speed))
            if os.path.exists(target):
                os.remove(target)
            arguments = ["process", source, "-o", target]
            if speed is not None:
                arguments += ["--speed", speed]
            result = host.run(*arguments)
            if result.returncode != 0:
                hostcheck.fail("process %s --speed %s" % (name, speed), result)
            compare("%s (speed %s)" % (name, speed), source_read, mido.MidiFile(target), speed)
            runs += 1

    logged = host.run("process", os.path.join(options.work, "format0.mid"), "-o",
                      os.path.join(options.work, "logged.mid"), "--speed", "64", "--log")
    if logged.returncode != 0:
        hostcheck.fail("process --log", logged)
    events_in = sum(1 for m in files["format0"].tracks[0] if m.type != "end_of_track")
    rows = [line for line in logged.stdout.splitlines() if re.match(r"\s*\d+\s+\d+\s\s", line)]
    # One row per event in, plus the position call that sent controller 5.
    if len(rows) != events_in + 1 or "#65 = 127" not in logged.stdout \
            or "#5 = 64" not in logged.stdout:
        hostcheck.fail("--log table does not list every event", logged)

    check_raw_escape(host, options.work)
    print("ok: %d mido-checked runs, the logged run and the escape file" % runs)


if __name__ == "__main__":
    main()
