#!/usr/bin/python3
"""The playing options of `quorlin-host process`, read back with mido.

With the options given at their defaults the host runs the legato core linked into it instead
of the plug-in library; both ways must give the very same bytes, on every MIDI file of the
fuzz corpus and on real songs when Debian's planetblupi-music-midi is installed. A phrase with a
held key, a chord struck over it, a detached chord and a legato pair then shows what the chord
window and controller 65 on change do, and the input's own controllers 5 and 65 are warned
about or left out.
"""

import glob
import os
import sys

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, HERE)
import hostcheck  # noqa: E402

mido = hostcheck.import_mido()

CORPUS = os.path.join(HERE, "..", "..", "fuzz", "corpus", "midi_file", "*.mid")
SONGS = "/usr/share/planetblupi/music/*.mid"
BEAT = 480  # ticks per quarter note; at 120 bpm a tick lasts 1/960 s


def phrase(path):
    """Channel 1 at 120 bpm: a held C3; a chord struck 2 ms apart over it; the held key let go;
    a detached chord; a legato pair. A controller 5 and 65 of the file's own come first."""
    events = [(0, mido.Message("control_change", control=5, value=10)),
              (0, mido.Message("control_change", control=65, value=0)),
              (0, mido.Message("note_on", note=48, velocity=90))]
    for tick, note in ((960, 60), (962, 64), (964, 67)):  # over the held key
        events.append((tick, mido.Message("note_on", note=note, velocity=90)))
    for note in (48, 60, 64, 67):
        events.append((1900, mido.Message("note_off", note=note)))
    for tick, note in ((2400, 62), (2402, 65), (2404, 69)):  # a detached chord
        events.append((tick, mido.Message("note_on", note=note, velocity=90)))
    for note in (62, 65, 69):
        events.append((3300, mido.Message("note_off", note=note)))
    events += [(3840, mido.Message("note_on", note=72, velocity=90)),  # a legato pair
               (4320, mido.Message("note_on", note=74, velocity=90)),
               (4400, mido.Message("note_off", note=72)),
               (4800, mido.Message("note_off", note=74))]
    track = mido.MidiTrack()
    last = 0
    for tick, message in events:
        track.append(message.copy(time=tick - last))
        last = tick
    midi = mido.MidiFile(type=0, ticks_per_beat=BEAT)
    midi.tracks.append(track)
    midi.save(path)


def portamento(path):
    """(tick, controller, value) of every controller 5 and 65 in the file."""
    found = []
    tick = 0
    for message in mido.MidiFile(path).tracks[0]:
        tick += message.time
        if message.type == "control_change" and message.control in (5, 65):
            found.append((tick, message.control, message.value))
    return found


def run(host, *arguments):
    result = host.run("process", *arguments, "--force")
    if result.returncode != 0:
        hostcheck.fail("process %s failed" % " ".join(map(str, arguments)), result)
    return result


def check_both_ways_agree(host, work):
    files = sorted(glob.glob(CORPUS))
    songs = sorted(glob.glob(SONGS))
    files += songs[:2] if host.emulated else songs
    for index, source in enumerate(files):
        tables, core = (os.path.join(work, "%d-%s.mid" % (index, way)) for way in ("lib", "core"))
        run(host, source, "-o", tables, "--speed", "40")
        run(host, source, "-o", core, "--speed", "40", "--chord-window", "0", "--cc65", "every")
        with open(tables, "rb") as first, open(core, "rb") as second:
            if first.read() != second.read():
                hostcheck.fail("%s: the core at its defaults differs from the library" % source)
    print("both ways agree on %d files" % len(files))


def check_options(host, work):
    source = os.path.join(work, "phrase.mid")
    phrase(source)
    out = os.path.join(work, "out.mid")

    plain = run(host, source, "-o", out)
    if "--replace-controllers" not in plain.stderr:
        hostcheck.fail("the file's own controllers 5 and 65 were not warned about", plain)
    seed = [(0, 5, 10), (0, 65, 0), (0, 65, 0), (960, 65, 127), (962, 65, 127), (964, 65, 127),
            (2400, 65, 0), (2402, 65, 127), (2404, 65, 127), (3840, 65, 0), (4320, 65, 127)]
    expect(portamento(out), seed, "the seed's rule")

    # 20 ms are 19 ticks here: the chord over C3 still glides from it, the detached one does not.
    replaced = run(host, source, "-o", out, "--chord-window", "20", "--replace-controllers",
                   "--log")
    window = [(0, 65, 0), (960, 65, 127), (962, 65, 127), (964, 65, 127), (2400, 65, 0),
              (2402, 65, 0), (2404, 65, 0), (3840, 65, 0), (4320, 65, 127)]
    expect(portamento(out), window, "--chord-window 20 --replace-controllers")
    if "left out 2 controller(s)" not in replaced.stdout or replaced.stderr.strip():
        hostcheck.fail("--replace-controllers did not count what it left out, or warned", replaced)

    run(host, source, "-o", out, "--chord-window", "20", "--cc65", "change",
        "--replace-controllers")
    expect(portamento(out), [(0, 65, 0), (960, 65, 127), (2400, 65, 0), (4320, 65, 127)],
           "--cc65 change")
    # The first note-on after the start sends one whatever came before it; then the file's own
    # controller 65 counts as the channel's value.
    own = source.replace(".mid", "-own.mid")
    midi = mido.MidiFile(source)
    midi.tracks[0].insert(8, mido.Message("control_change", control=65, value=127))
    midi.save(own)
    run(host, own, "-o", out, "--cc65", "change")
    expect(portamento(out), [(0, 5, 10), (0, 65, 0), (0, 65, 0), (960, 65, 127),
                             (1900, 65, 127), (2400, 65, 0), (2402, 65, 127), (3840, 65, 0),
                             (4320, 65, 127)],
           "--cc65 change, own controllers")


def expect(found, wanted, label):
    if found != wanted:
        hostcheck.fail("%s: controllers 5 and 65 are %s, expected %s" % (label, found, wanted))


def check_help(host):
    text = " ".join(host.run("help", "process").stdout.split())
    for shown in ("--chord-window MS", "(default: 0, every held key counts)", "--cc65 every|change",
                  "(default: every)", "--replace-controllers"):
        if shown not in text:
            hostcheck.fail("help process does not show %r" % shown)


def main():
    host, options = hostcheck.start(sys.argv[1:])
    hostcheck.fresh_folder(options.work)
    check_help(host)
    check_both_ways_agree(host, options.work)
    check_options(host, options.work)
    print("playing options: all checks passed")
    return 0


if __name__ == "__main__":
    sys.exit(main())
