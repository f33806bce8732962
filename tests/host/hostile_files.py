"""Files built to make a MIDI reader or its drawings do more work than their size warrants."""

import os
import sys

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "tools"))
# check_hostile.py writes its own tracks with it too.
from midi_bytes import variable_length as vlq  # noqa: E402, F401


def chunk(kind, body):
    return kind + len(body).to_bytes(4, "big") + body


def header(tracks, fmt=1, division=96):
    return chunk(b"MThd", bytes([0, fmt]) + tracks.to_bytes(2, "big") + division.to_bytes(2, "big"))


END = b"\x00\xff\x2f\x00"
ONE_NOTE = b"\x00\x90\x3c\x64\x60\x80\x3c\x40" + END


def many_tempos(note_tracks=3000, tempos=100000):
    """A conductor track with a tempo change every tick and thousands of one-note tracks."""
    conductor = bytearray(b"\x00\xff\x58\x04\x04\x02\x18\x08")
    for i in range(tempos):
        conductor += b"\x01\xff\x51\x03" + (400000 + i % 200000).to_bytes(3, "big")
    data = header(note_tracks + 1) + chunk(b"MTrk", bytes(conductor) + END)
    return data + chunk(b"MTrk", ONE_NOTE) * note_tracks


def many_tracks(count=65535):
    """The most tracks a header can announce, one note each."""
    return header(count) + chunk(b"MTrk", ONE_NOTE) * count


def far_note(tracks=1000):
    """One note that ends about 2.8 million quarter notes in, and tracks of one note each."""
    far = b"\x00\x90\x3c\x64" + vlq(0x0FFFFFFF) + b"\x80\x3c\x40" + END
    return header(tracks) + chunk(b"MTrk", far) + chunk(b"MTrk", b"\x00\x90\x3c\x64" + END) * (
        tracks - 1)


def running_status(mebibytes, tracks=1):
    """Tracks of notes in running status on channel 1, three bytes an event, about `mebibytes`
    long in all: one track in format 0, or several that a synthesizer hears as one stream."""
    pairs = (mebibytes << 20) // 6 // tracks
    body = b"\x00\x90\x3c\x64" + b"\x01\x3c\x00\x00\x3c\x64" * pairs + b"\x01\x3c\x00" + END
    return header(tracks, fmt=0 if tracks == 1 else 1) + chunk(b"MTrk", body) * tracks
