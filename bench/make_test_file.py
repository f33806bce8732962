#!/usr/bin/python3
"""Writes the Standard MIDI File the end-to-end benchmark runs: format 1, a tempo track and two
note tracks on channels 0 and 1, with exactly the number of events asked for (end-of-track
events not counted). The notes come in phrases, so the plug-in sees legato runs (overlapping
notes), detached runs, chords, and controller and pitch-bend traffic in between; a quarter of
the note-offs are note-ons with velocity 0. The same arguments always give the same bytes.
"""

import argparse
import os
import random
import sys

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "tools"))
from midi_bytes import variable_length as quantity  # noqa: E402

DIVISION = 480
STEP = 120  # an eighth note


def track_chunk(timed_events, end_tick):
    """timed_events: (tick, bytes) in order. Every event carries its status byte."""
    body = bytearray()
    last = 0
    for tick, data in timed_events:
        body += quantity(tick - last) + data
        last = tick
    body += quantity(end_tick - last) + b"\xff\x2f\x00"
    return b"MTrk" + len(body).to_bytes(4, "big") + bytes(body)


class NoteTrack:
    """Collects the events of one channel; note-offs sort before note-ons on the same tick."""

    def __init__(self, channel, low, high, seed):
        self.channel = channel
        self.low = low
        self.high = high
        self.random = random.Random(seed)
        self.tick = 0
        self.events = []  # (tick, kind, sequence, bytes); kind 0 = note-off, 1 = anything else

    def add(self, tick, kind, data):
        self.events.append((tick, kind, len(self.events), data))

    def note(self, start, length, key, velocity):
        self.add(start, 1, bytes([0x90 | self.channel, key, velocity]))
        if self.random.random() < 0.25:
            off = bytes([0x90 | self.channel, key, 0])
        else:
            off = bytes([0x80 | self.channel, key, 64])
        self.add(start + length, 0, off)

    def key(self):
        return self.random.randint(self.low, self.high)

    def legato_run(self, notes):
        for _ in range(notes):
            self.note(self.tick, STEP + self.random.randint(10, 60), self.key(), 96)
            self.tick += STEP

    def detached_run(self, notes):
        for _ in range(notes):
            self.note(self.tick, STEP - self.random.randint(10, 60), self.key(), 80)
            self.tick += STEP

    def chord(self, notes):
        keys = self.random.sample(range(self.low, self.high + 1), notes)
        for key in keys:
            self.note(self.tick, 4 * STEP - 20, key, 70)
        self.tick += 4 * STEP

    def controllers(self, count):
        for _ in range(count):
            value = self.random.randint(0, 127)
            self.add(self.tick, 1, bytes([0xB0 | self.channel, 1, value]))
            self.tick += STEP // 4
        bend = self.random.randint(0, 0x3FFF)
        self.add(self.tick, 1, bytes([0xE0 | self.channel, bend & 0x7F, bend >> 7]))
        self.tick += STEP // 4

    def fill(self, wanted):
        """Adds phrases until exactly `wanted` events are there."""
        self.add(0, 1, bytes([0xC0 | self.channel, 0]))
        while len(self.events) < wanted:
            left = wanted - len(self.events)
            if left < 16:
                self.controllers(left - 1)  # the pitch bend that closes it makes `left`
                continue
            choice = self.random.random()
            if choice < 0.4:
                self.legato_run(self.random.randint(3, 7))
            elif choice < 0.75:
                self.detached_run(self.random.randint(3, 7))
            elif choice < 0.9:
                self.chord(self.random.randint(3, 4))
            else:
                self.controllers(self.random.randint(2, 5))

    def chunk(self):
        ordered = sorted(self.events)
        end_tick = ordered[-1][0] + DIVISION
        return track_chunk([(tick, data) for tick, _, _, data in ordered], end_tick)


def build(total_events, seed=8):
    tempo_events = [(0, b"\xff\x51\x03\x07\xa1\x20"), (0, b"\xff\x58\x04\x04\x02\x18\x08")]
    note_events = total_events - len(tempo_events)
    lead = NoteTrack(0, 55, 84, seed)
    bass = NoteTrack(1, 28, 52, seed + 1)
    lead.fill(note_events - note_events // 3)
    bass.fill(note_events // 3)
    header = b"MThd" + (6).to_bytes(4, "big") + bytes([0, 1, 0, 3]) + DIVISION.to_bytes(2, "big")
    return header + track_chunk(tempo_events, 0) + lead.chunk() + bass.chunk()


def main():
    parser = argparse.ArgumentParser(description=__doc__)
    parser.add_argument("output")
    parser.add_argument("--events", type=int, default=1_000_000)
    options = parser.parse_args()
    with open(options.output, "wb") as stream:
        stream.write(build(options.events))


if __name__ == "__main__":
    main()
