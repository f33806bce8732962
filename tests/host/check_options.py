#!/usr/bin/python3
"""The playing options of `quorlin-host process`, read back with mido. At their defaults they run
the legato core linked into the host, which must give the library's very bytes on the fuzz
corpus and on real songs (Debian's planetblupi-music-midi); a phrase of a held key, a chord over
it, a detached chord and a legato pair shows what each option does."""

import glob
import os
import sys

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, HERE)
import hostcheck  # noqa: E402

mido = hostcheck.import_mido()

CORPUS = os.path.join(HERE, "..", "..", "fuzz", "corpus", "midi_file", "*.mid")
SONGS = "/usr/share/planetblupi/music/*.mid"


def phrase(path):
    """Channel 1, 480 ticks a beat at 120 bpm: the file's own controllers 5 and 65, a held C3, a
    chord 2 ticks apart over it, a detached chord, a legato pair."""
    notes = [(0, 48, 1900), (960, 60, 1900), (962, 64, 1900), (964, 67, 1900), (2400, 62, 3300),
             (2402, 65, 3300), (2404, 69, 3300), (3840, 72, 4400), (4320, 74, 4800)]
    events = [(0, "control_change", dict(control=5, value=10)),
              (0, "control_change", dict(control=65, value=0))]
    events += [(on, "note_on", dict(note=note, velocity=90)) for on, note, _ in notes]
    events += [(off, "note_off", dict(note=note)) for _, note, off in notes]
    events.sort(key=lambda event: event[0])
    track = mido.MidiTrack()
    last = 0
    for tick, kind, fields in events:
        track.append(mido.Message(kind, time=tick - last, **fields))
        last = tick
    midi = mido.MidiFile(type=0, ticks_per_beat=480)
    midi.tracks.append(track)
    midi.save(path)


def run(host, *arguments):
    result = host.run("process", *arguments, "--force")
    if result.returncode != 0:
        hostcheck.fail("process %s failed" % " ".join(map(str, arguments)), result)
    return result


def expect(host, source, out, options, wanted):
    """Runs with `options`; the result's controllers 5, 65 and 84, (tick, number, value), must be
    `wanted`."""
    result = run(host, source, "-o", out, *options)
    found, tick = [], 0
    for message in mido.MidiFile(out).tracks[0]:
        tick += message.time
        if message.type == "control_change" and message.control in (5, 65, 84):
            found.append((tick, message.control, message.value))
    if found != wanted:
        hostcheck.fail("%s: controllers 5, 65 and 84 are %s, not %s" % (options, found, wanted))
    return result


def main():
    host, options = hostcheck.start(sys.argv[1:])
    work = options.work
    hostcheck.fresh_folder(work)
    shown = " ".join(host.run("help", "process").stdout.split())
    for text in ("--chord-window MS", "(default: 0, every held key counts)",
                 "--cc65 every|change", "(default: every)", "--replace-controllers",
                 "--interval-limit N", "(default: no limit)", "--glide-source",
                 "--legato-tolerance MS"):
        if text not in shown:
            hostcheck.fail("help process does not show %r" % text)

    # Under an emulator each run costs a second: the richest corpus files and one song.
    files = sorted(glob.glob(CORPUS)) + sorted(glob.glob(SONGS))
    if host.emulated:
        files = [name for name in files if name.endswith(("rich.mid", "demo.mid"))] + files[-1:]
    library, core = os.path.join(work, "library.mid"), os.path.join(work, "core.mid")
    for source in files:
        for view in ([], ["--per-track"]):
            run(host, source, "-o", library, "--speed", "40", "--engine", "library",
                "--chord-window", "0", "--cc65", "every", "--legato-tolerance", "0", *view)
            run(host, source, "-o", core, "--speed", "40", "--engine", "core", *view)
            if open(library, "rb").read() != open(core, "rb").read():
                hostcheck.fail("%s %s: the core at its defaults differs from the library" % (
                    source, " ".join(view)))
    refused = host.run("process", files[0], "-o", library, "--force", "--engine", "library",
                       "--chord-window", "20")
    if refused.returncode != 2 or "need --engine core or auto" not in refused.stderr:
        hostcheck.fail("--engine library took a chord window it cannot play", refused)
    print("both ways agree on %d files in both views" % len(files))

    source, out = os.path.join(work, "phrase.mid"), os.path.join(work, "out.mid")
    phrase(source)
    kept = expect(host, source, out, [], [(0, 5, 10), (0, 65, 0), (0, 65, 0), (960, 65, 127),
                                          (962, 65, 127), (964, 65, 127), (2400, 65, 0),
                                          (2402, 65, 127), (2404, 65, 127), (3840, 65, 0),
                                          (4320, 65, 127)])
    if "--replace-controllers" not in kept.stderr:
        hostcheck.fail("the file's own controllers 5 and 65 were not warned about", kept)
    # 20 ms are 19 ticks: a chord's first key glides from C3, the rest of the chords are struck.
    left = expect(host, source, out, ["--chord-window", "20", "--replace-controllers", "--log"],
                  [(0, 65, 0), (960, 65, 127), (962, 65, 0), (964, 65, 0), (2400, 65, 0),
                   (2402, 65, 0), (2404, 65, 0), (3840, 65, 0), (4320, 65, 127)])
    if "left out 2 controller(s)" not in left.stdout or left.stderr.strip():
        hostcheck.fail("--replace-controllers did not count what it left out, or warned", left)
    expect(host, source, out, ["--chord-window", "20", "--cc65", "change", "--replace-controllers"],
           [(0, 65, 0), (960, 65, 127), (962, 65, 0), (4320, 65, 127)])
    # C4 is an octave above the held C3, past a limit of 7: struck; D5 glides from C5, named.
    expect(host, source, out, ["--chord-window", "20", "--interval-limit", "7", "--glide-source",
                               "--replace-controllers"],
           [(0, 65, 0), (960, 65, 0), (962, 65, 0), (964, 65, 0), (2400, 65, 0), (2402, 65, 0),
            (2404, 65, 0), (3840, 65, 0), (4320, 65, 127), (4320, 84, 72)])
    # The file's own Reset All Controllers resets the synthesizer's portamento time: the next
    # position sends it again, through the library and through the core.
    reset = mido.MidiFile(type=0, ticks_per_beat=480)
    reset.tracks.append(mido.MidiTrack([
        mido.Message("control_change", control=121, value=0), mido.Message("note_on", note=60),
        mido.Message("note_on", note=62, time=480), mido.Message("note_off", note=60, time=120),
        mido.Message("note_off", note=62, time=300)]))
    reset.save(source)
    for engine in ("library", "core"):
        expect(host, source, out, ["--speed", "40", "--engine", engine],
               [(0, 5, 40), (0, 65, 0), (480, 5, 40), (480, 65, 127)])
    print("playing options: all checks passed")
    return 0


if __name__ == "__main__":
    sys.exit(main())
