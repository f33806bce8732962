#!/usr/bin/python3
"""Times `quorlin-host process` on a generated file against reference_process.py (mido) doing
the same transformation, in the same run, and checks that both wrote the same file. Writes the
figures as JSON for report.py.
"""

import argparse
import json
import os
import re
import subprocess
import sys
import time

HERE = os.path.dirname(os.path.abspath(__file__))
sys.dont_write_bytecode = True  # keep the source folder clean
sys.path.insert(0, HERE)
import make_test_file  # noqa: E402

PYTHON = "/usr/bin/python3"  # the interpreter that sees the distribution's mido
SPEED = "64"


def timed(command):
    started = time.perf_counter()
    result = subprocess.run(command, capture_output=True, text=True)
    seconds = time.perf_counter() - started
    if result.returncode != 0:
        sys.exit("%s failed (%d):\n%s%s" % (command[0], result.returncode, result.stdout,
                                            result.stderr))
    return seconds, result.stdout


def same_messages(first, second):
    """Compares two files message by message, for when their bytes differ."""
    import mido
    a, b = mido.MidiFile(first), mido.MidiFile(second)
    return (a.type, a.ticks_per_beat, [list(t) for t in a.tracks]) == \
        (b.type, b.ticks_per_beat, [list(t) for t in b.tracks])


def main():
    parser = argparse.ArgumentParser(description=__doc__)
    parser.add_argument("--host", required=True, help="the quorlin-host program")
    parser.add_argument("--work", required=True, help="folder for the files")
    parser.add_argument("--json", required=True, help="where to write the figures")
    parser.add_argument("--events", type=int, default=1_000_000)
    parser.add_argument("--host-runs", type=int, default=5)
    options = parser.parse_args()

    os.makedirs(options.work, exist_ok=True)
    source = os.path.join(options.work, "input-%d.mid" % options.events)
    host_output = os.path.join(options.work, "host-out.mid")
    reference_output = os.path.join(options.work, "reference-out.mid")
    with open(source, "wb") as stream:
        stream.write(make_test_file.build(options.events))

    host_times = []
    for _ in range(options.host_runs):
        seconds, said = timed([options.host, "process", source, "-o", host_output,
                               "--speed", SPEED, "--force"])
        host_times.append(seconds)
    counted = re.search(r"(\d+) events in, (\d+) out", said)
    if counted is None or int(counted.group(1)) != options.events:
        sys.exit("quorlin-host did not read %d events: %s" % (options.events, said))

    reference_seconds, _ = timed([PYTHON, os.path.join(HERE, "reference_process.py"), source,
                                  "-o", reference_output, "--speed", SPEED])

    with open(host_output, "rb") as first, open(reference_output, "rb") as second:
        identical = first.read() == second.read()
    if not identical and not same_messages(host_output, reference_output):
        sys.exit("quorlin-host and the reference wrote different MIDI: the comparison is void")

    best = min(host_times)
    figures = {
        "events": options.events,
        "events_out": int(counted.group(2)),
        "input_bytes": os.path.getsize(source),
        "host_seconds_best": best,
        "host_seconds_median": sorted(host_times)[len(host_times) // 2],
        "host_runs": len(host_times),
        "host_events_per_second": options.events / best,
        "reference_seconds": reference_seconds,
        "reference_events_per_second": options.events / reference_seconds,
        "speedup": reference_seconds / best,
        "identical_bytes": identical,
    }
    with open(options.json, "w") as stream:
        json.dump(figures, stream, indent=2)
    print("end to end: host %.3f s (best of %d), reference %.1f s, %.0fx, outputs %s" % (
        best, len(host_times), reference_seconds, figures["speedup"],
        "byte-identical" if identical else "equal as messages"))


if __name__ == "__main__":
    main()
