#!/usr/bin/python3
"""Times `quorlin-host process` on a generated file of about 1,000,000 events.

Not a test: it prints the file size, the event count and the best wall-clock time of a few
runs. The file has one tempo track and one note track of overlapping and detached notes.
"""

import argparse
import os
import subprocess
import sys
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "tools"))
from midi_bytes import variable_length as quantity  # noqa: E402


def build(events_wanted):
    body = bytearray()
    count = 0
    key = 48
    # Each step: note-on, then the previous key's note-off 10 ticks later (legato) or at once
    # (detached), so the plug-in sees both styles.
    previous = None
    step = 0
    while count + 3 < events_wanted:
        body += quantity(0) + bytes([0x90, key, 100])
        if previous is not None:
            delay = 10 if step % 3 else 0
            body += quantity(delay) + bytes([0x80, previous, 64])
            body += quantity(30) + bytes([0xB0, 1, step % 128])
            count += 2
        else:
            body += quantity(40) + bytes([0xB0, 1, 0])
            count += 1
        count += 1
        previous = key
        key = 48 + (key - 47) % 36
        step += 1
    body += quantity(10) + bytes([0x80, previous, 64]) + bytes([0x00, 0xFF, 0x2F, 0x00])
    count += 1
    tempo = bytes([0x00, 0xFF, 0x51, 0x03, 0x07, 0xA1, 0x20, 0x00, 0xFF, 0x2F, 0x00])
    data = b"MThd" + (6).to_bytes(4, "big") + bytes([0, 1, 0, 2, 0x01, 0xE0])
    for track in (tempo, bytes(body)):
        data += b"MTrk" + len(track).to_bytes(4, "big") + track
    return data, count + 1


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--work", required=True)
    parser.add_argument("--events", type=int, default=1_000_000)
    parser.add_argument("--runs", type=int, default=5)
    parser.add_argument("host", nargs="+")
    options = parser.parse_args()
    os.makedirs(options.work, exist_ok=True)
    source = os.path.join(options.work, "million.mid")
    target = os.path.join(options.work, "million-out.mid")
    data, events = build(options.events)
    with open(source, "wb") as stream:
        stream.write(data)
    times = []
    for _ in range(options.runs):
        started = time.perf_counter()
        command = options.host + ["process", source, "-o", target, "--speed", "64", "--force"]
        result = subprocess.run(command, capture_output=True, text=True)
        times.append(time.perf_counter() - started)
        if result.returncode != 0:
            sys.exit("quorlin-host failed: " + result.stderr)
    print("%d events in (%d bytes), %d bytes out; best of %d runs: %.3f s (median %.3f s)" % (
        events, len(data), os.path.getsize(target), options.runs, min(times),
        sorted(times)[len(times) // 2]))


if __name__ == "__main__":
    main()
