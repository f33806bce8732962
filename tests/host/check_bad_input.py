#!/usr/bin/python3
"""Bad input to quorlin-host: each case must end with exactly one error line from the host,
a non-zero exit code, and no output file (nor a temporary one) left behind."""

import argparse
import os
import random
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import hostcheck  # noqa: E402

TRACK = bytes([0x00, 0x90, 0x3C, 0x64, 0x60, 0x80, 0x3C, 0x40, 0x00, 0xFF, 0x2F, 0x00])


def smf(track=TRACK, tracks=1, fmt=0):
    return (b"MThd" + (6).to_bytes(4, "big") + bytes([0, fmt, 0, tracks, 0, 96]) +
            b"MTrk" + len(track).to_bytes(4, "big") + track)


CORRUPT_FILES = {
    "empty.mid": b"",
    "not-midi.mid": b"RIFF\x00\x00\x00\x04WAVE",
    "short-header.mid": smf()[:10],
    "truncated.mid": smf()[:-3],
    "chunk-too-long.mid": smf()[:18] + (1000).to_bytes(4, "big") + TRACK,
    "event-past-end.mid": smf(bytes([0x00, 0x90, 0x3C])),
    "unknown-status.mid": smf(bytes([0x00, 0xF4, 0x00, 0x00, 0xFF, 0x2F, 0x00])),
    "no-running-status.mid": smf(bytes([0x00, 0x3C, 0x64, 0x00, 0xFF, 0x2F, 0x00])),
    "meta-past-end.mid": smf(bytes([0x00, 0xFF, 0x03, 0x40, 0x41])),
    "missing-track.mid": smf(tracks=2, fmt=1),
    "format-5.mid": smf(fmt=5),
}


EMULATED_CASES = {
    "truncated.mid", "unknown-status.mid", "missing input", "output directory missing",
    "speed out of range", "plug-in not a library", "plug-in without export",
    "plug-in without module class", "unknown command",
}


def rich_file():
    """Two note tracks with meta, system-exclusive and running-status events."""
    first = bytes([0x00, 0xFF, 0x03, 0x02, 0x61, 0x62, 0x00, 0xF0, 0x02, 0x7E, 0xF7,
                   0x00, 0x90, 0x3C, 0x64, 0x30, 0x3E, 0x64, 0x30, 0x3C, 0x00,
                   0x10, 0xB0, 0x41, 0x7F, 0x20, 0x80, 0x3E, 0x40, 0x00, 0xFF, 0x2F, 0x00])
    second = bytes([0x10, 0x95, 0x30, 0x50, 0x81, 0x00, 0x85, 0x30, 0x00,
                    0x00, 0xE5, 0x00, 0x40, 0x00, 0xFF, 0x2F, 0x00])
    data = b"MThd" + (6).to_bytes(4, "big") + bytes([0, 1, 0, 2, 0x01, 0xE0])
    for track in (first, second):
        data += b"MTrk" + len(track).to_bytes(4, "big") + track
    return data


def check_mutations(host, work, out_dir, count):
    """Randomly damaged files: each run either succeeds with an output file or fails with one
    error line and none; no run may crash."""
    rng = random.Random(20240611)
    source = rich_file()
    damaged = os.path.join(work, "damaged.mid")
    target = os.path.join(out_dir, "damaged-out.mid")
    failures = 0
    for attempt in range(count):
        data = bytearray(source)
        for _ in range(rng.randint(1, 6)):
            at = rng.randrange(len(data)) if data else 0
            choice = rng.random()
            if choice < 0.5 and data:
                data[at] = rng.randrange(256)
            elif choice < 0.75:
                del data[at:at + rng.randint(1, 8)]
            else:
                data[at:at] = bytes(rng.randrange(256) for _ in range(rng.randint(1, 4)))
        with open(damaged, "wb") as stream:
            stream.write(data)
        result = host.run("process", damaged, "-o", target)
        errors = host.error_lines(result)
        if result.returncode == 0:
            if errors or os.listdir(out_dir) != ["damaged-out.mid"]:
                hostcheck.fail("damaged file %d: success without a clean output" % attempt, result)
            os.remove(target)
        else:
            failures += 1
            if result.returncode != 1 or len(errors) != 1 or os.listdir(out_dir):
                hostcheck.fail("damaged file %d (%s): not one error line and no file" % (
                    attempt, bytes(data).hex()), result)
    print("ok: %d damaged files, %d refused, none crashed" % (count, failures))


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--no-export-library", required=True,
                        help="a loadable library without the factory export")
    parser.add_argument("--no-module-library", required=True,
                        help="a library whose factory offers no MIDI module class")
    host, options = hostcheck.start(sys.argv[1:], parser)
    work = options.work
    hostcheck.fresh_folder(work)
    good = os.path.join(work, "good.mid")
    with open(good, "wb") as stream:
        stream.write(smf())
    for name, data in CORRUPT_FILES.items():
        with open(os.path.join(work, name), "wb") as stream:
            stream.write(data)
    text_library = os.path.join(work, "text-library.dll")
    with open(text_library, "w") as stream:
        stream.write("not a library\n")
    out_dir = os.path.join(work, "out")
    os.makedirs(out_dir)
    target = os.path.join(out_dir, "result.mid")

    cases = [(name, ["process", os.path.join(work, name), "-o", target])
             for name in CORRUPT_FILES]
    cases += [
        ("missing input", ["process", os.path.join(work, "absent.mid"), "-o", target]),
        ("input is a directory", ["process", work, "-o", target]),
        ("output directory missing",
         ["process", good, "-o", os.path.join(work, "no-such-dir", "x.mid")]),
        ("output is a directory", ["process", good, "-o", out_dir]),
        ("speed out of range", ["process", good, "-o", target, "--speed", "200"]),
        ("speed not a number", ["process", good, "-o", target, "--speed", "fast"]),
        ("plug-in missing", ["--plugin", os.path.join(work, "absent.dll"), "process", good,
                             "-o", target]),
        ("plug-in not a library", ["--plugin", text_library, "process", good, "-o", target]),
        ("plug-in without export", ["--plugin", options.no_export_library, "process", good,
                                    "-o", target]),
        ("plug-in without module class", ["--plugin", options.no_module_library, "process",
                                          good, "-o", target]),
        ("info without export", ["--plugin", options.no_export_library, "info"]),
        ("demo without module class", ["--plugin", options.no_module_library, "demo", "-o",
                                       target]),
        ("skin without module class", ["--plugin", options.no_module_library, "skin", "--out",
                                       os.path.join(out_dir, "skin")]),
        ("unknown command", ["frobnicate"]),
        ("no command", []),
        ("process without output", ["process", good]),
        ("unknown option", ["info", "--colour"]),
    ]
    if host.emulated:
        # A Wine start costs seconds: one case of each kind of failure there, all of them natively.
        cases = [case for case in cases if case[0] in EMULATED_CASES]
    for name, arguments in cases:
        result = host.run(*arguments)
        if result.returncode == 0:
            hostcheck.fail("%s: exit code 0" % name, result)
        errors = host.error_lines(result)
        if len(errors) != 1 or not errors[0].startswith("quorlin-host: "):
            hostcheck.fail("%s: expected one error line, got %r" % (name, errors), result)
        left = os.listdir(out_dir)
        if left:
            hostcheck.fail("%s: left files behind: %s" % (name, left), result)
        print("ok: %-30s %s" % (name, errors[0]))

    # The same file that failed only for its output path goes through once the path is right;
    # a second run replaces the file it wrote only when told to.
    for attempt, extra in (("first", []), ("forced", ["--force"])):
        result = host.run("process", good, "-o", target, *extra)
        if result.returncode != 0 or os.listdir(out_dir) != ["result.mid"]:
            hostcheck.fail("%s good run after the bad ones" % attempt, result)
    print("ok: %d bad inputs refused" % len(cases))
    os.remove(target)

    # Each run costs seconds under an emulator; there the fixed cases above have to do.
    if not host.emulated:
        check_mutations(host, work, out_dir, 300)


if __name__ == "__main__":
    main()
