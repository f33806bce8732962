#!/usr/bin/python3
"""The transformation `quorlin-host process` applies, written plainly with mido, as the
yardstick for the host's speed. Every track that holds notes gets controller 65 before each
note-on, on the note's channel and at its tick: 127 when two or more keys are held, the new one
included, else 0. Keys are held by note number across channels, from the note-on until its
note-off or until the tick at which the note's length ends (lengths pair note-ons and
note-offs per channel and key, oldest first). With a speed from 0 to 127, controller 5 carries
it at the track's first tick, on the track's first channel. Everything else is copied.
"""

import argparse
import os
import sys

import mido

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "tools"))
from midi_notes import is_note_off, is_note_on, note_lengths  # noqa: E402


def process_track(track, speed):
    timed = []
    tick = 0
    end_tick = 0
    for message in track:
        tick += message.time
        if message.type == "end_of_track":
            end_tick = tick
            break
        timed.append((tick, message))
    else:
        end_tick = tick
    if not any(is_note_on(m) or is_note_off(m) for _, m in timed):
        return track

    lengths = note_lengths(timed)
    first_channel = next(m.channel for _, m in timed if not m.is_meta and m.type != "sysex")
    out = []
    if speed is not None and speed >= 0:
        out.append((timed[0][0], mido.Message("control_change", channel=first_channel,
                                              control=5, value=speed)))
    held = {}  # note number -> end tick, or None for a note without a length
    for index, (tick, message) in enumerate(timed):
        if is_note_on(message):
            length = lengths.get(index, 0)
            held[message.note] = tick + length if length > 0 else None
            for note in [n for n, end in held.items() if end is not None and end <= tick]:
                del held[note]
            value = 127 if len(held) >= 2 else 0
            out.append((tick, mido.Message("control_change", channel=message.channel,
                                           control=65, value=value)))
        elif is_note_off(message):
            held.pop(message.note, None)
        out.append((tick, message))

    result = mido.MidiTrack()
    last = 0
    for tick, message in out:
        result.append(message.copy(time=tick - last))
        last = tick
    result.append(mido.MetaMessage("end_of_track", time=max(end_tick, last) - last))
    return result


def main():
    parser = argparse.ArgumentParser(description=__doc__)
    parser.add_argument("input")
    parser.add_argument("-o", "--output", required=True)
    parser.add_argument("--speed", help="0..127, or Off")
    options = parser.parse_args()
    speed = None
    if options.speed is not None and options.speed.lower() != "off":
        speed = int(options.speed)

    source = mido.MidiFile(options.input)
    result = mido.MidiFile(type=source.type, ticks_per_beat=source.ticks_per_beat)
    for track in source.tracks:
        result.tracks.append(process_track(track, speed))
    result.save(options.output)


if __name__ == "__main__":
    main()
