#!/usr/bin/python3
"""The playing options heard through FluidSynth, one note at a time (glide_audio.first_pitch_alone)
after `quorlin-host process`. 960 ticks a second; speed 2 makes 256 ms glides."""

import os
import sys

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, os.path.join(HERE, "..", "host"))
sys.path.insert(0, os.path.join(HERE, "..", "..", "tools"))
import glide_audio  # noqa: E402
import hostcheck  # noqa: E402

C3, C4, E4, G4, A4, C5, E5 = 48, 60, 64, 67, 69, 72, 76
CHORD = [(240, C3, 2400), (1200, C4, 2400), (1202, E4, 2400), (1204, G4, 2400)]
ROLLED = [(240, C3, 2400), (1200, C4, 2400), (1214, E4, 2400), (1228, G4, 2400), (1242, C5, 2400)]
MELODY = [(240, C3, 1700), (480, E4, 1500), (1440, A4, 2400), (1700, C3, 3600), (2340, C5, 2880),
          (3000, E5, 3600)]
TOUCHING = [(240, E4, 1200), (1200, G4, 2160)]


def heard(host, work, name, notes, options, key, onset, at=None):
    """The first pitch of `key` struck at tick `onset` (or at tick `at`) in the output."""
    events = [(0, b"\xFF\x51\x03\x07\xA1\x20"), (0, bytes([0xC0, glide_audio.FLUTE]))]
    for start, note, end in notes:
        events += [(start, bytes([0x90, note, 100])), (end, bytes([0x80, note, 64]))]
    source, out = os.path.join(work, name + ".mid"), os.path.join(work, name + "-out.mid")
    glide_audio.write_midi(source, 480, sorted(events, key=lambda e: (e[0], e[1][0] != 0x80)))
    result = host.run("process", source, "-o", out, "--force", "--speed", "2", *options)
    if result.returncode != 0:
        hostcheck.fail("process %s" % " ".join(options), result)
    return glide_audio.first_pitch_alone(out, key, onset, (at or onset) / 960 + 0.02)


def main():
    missing = glide_audio.synthesizer_missing()
    if missing:
        print("missing: " + missing)
        return 1
    host, options = hostcheck.start(sys.argv[1:])
    hostcheck.fresh_folder(options.work)
    failures = []
    # (name, notes, options, [(key, onset tick, the key it must start from or None for its own,
    # the tick to listen at if not the onset)]); a glide must start within a quarter of its way.
    for name, notes, flags, checks in [
            ("chord over C3", CHORD, ["--chord-window", "25"],
             [(C4, 1200, C3), (E4, 1202, None), (G4, 1204, None), (C3, 240, None, 1700)]),
            ("rolled 15 ms", ROLLED, ["--chord-window", "25"],
             [(E4, 1214, None), (G4, 1228, None), (C5, 1242, None)]),
            ("melody over C3", MELODY, ["--interval-limit", "12", "--glide-source"],
             [(A4, 1440, E4), (C5, 2340, A4), (E5, 3000, None), (C3, 1700, None, 2600)]),
            ("touching, 5 ms", TOUCHING, ["--legato-tolerance", "5"], [(G4, 1200, E4)]),
            ("touching, 0 ms", TOUCHING, [], [(G4, 1200, None)])]:
        for key, onset, source, *at in checks:
            pitch = heard(host, options.work, name, notes, flags, key, onset, *at)
            start = key if source is None else source
            near = 0.5 if source is None else max(1.0, abs(key - source) / 4)
            label = "%s: %d from %s" % (name, key, "itself" if source is None else source)
            print("%-40s %s" % (label, "%.2f" % pitch if pitch is not None else "nothing"))
            if pitch is None or abs(pitch - start) > near:
                failures.append("%s: starts at %s" % (label, pitch))
    for failure in failures:
        print("FAIL: " + failure)
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
