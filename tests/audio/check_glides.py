#!/usr/bin/python3
"""Listens to what the plug-in makes a synthesizer do.

A phrase of nine flute notes, alternately joined (each note held into the next) and detached,
goes through `quorlin-host process` and is rendered with FluidSynth, whose portamento follows
controller 65 on every note. Following the pitch of the audio: across each legato transition
it must pass through the keys between and arrive; across each detached one it must land on the
new key without passing through them. With the speed Off no controller 5 goes out, and nothing
glides. Two more renderings make the measurement trustworthy: the phrase as it was (no glide
anywhere), and the phrase with portamento forced on before every note (the detached
transitions glide too, so the synthesizer really would glide there if the plug-in let it).
"""

import os
import sys

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, os.path.join(HERE, "..", "host"))
sys.path.insert(0, os.path.join(HERE, "..", "..", "tools"))
import glide_audio  # noqa: E402
import hostcheck  # noqa: E402

DIVISION = 480
SLOT = 960          # one second per note at 120 beats per minute
LEAD_IN = 240
OVERLAP = 60        # a legato note is held this long into the next one
GAP = 240           # a detached note is released this long before the next one
SPEED = 3           # 384 ms glides in FluidSynth: dozens of 10 ms windows
GLIDE_MS = SPEED * glide_audio.MILLISECONDS_PER_SPEED_STEP
# Up and down, by fourths to sixths, so a glide crosses several keys.
KEYS = [60, 67, 62, 69, 64, 57, 65, 58, 64]
JOINED = [True, False, True, False, True, False, True, False]
MIN_WINDOWS_BETWEEN = 10


def seconds(tick):
    return tick / DIVISION * 0.5


def phrase_events(portamento=None):
    """The phrase as (tick, bytes); with `portamento`, controller 65 at that value and controller
    5 at SPEED go out before every note."""
    events = [(0, b"\xFF\x51\x03\x07\xA1\x20"), (0, bytes([0xC0, glide_audio.FLUTE]))]
    for index, key in enumerate(KEYS):
        start = LEAD_IN + index * SLOT
        joined = index < len(JOINED) and JOINED[index]
        length = SLOT + OVERLAP if joined else SLOT - GAP
        if portamento is not None:
            events += [(start, bytes([0xB0, 5, SPEED])), (start, bytes([0xB0, 65, portamento]))]
        events += [(start, bytes([0x90, key, 100])), (start + length, bytes([0x80, key, 64]))]
    # At equal ticks a release goes before a strike, as a sequencer writes them.
    return sorted(events, key=lambda event: (event[0], event[1][0] & 0xF0 != 0x80))


def onsets():
    return [seconds(LEAD_IN + (index + 1) * SLOT) for index in range(len(JOINED))]


def check_controllers(path, expect_speed):
    _, tracks = glide_audio.read_midi(path)
    track = tracks[0]
    switch = [value for _, value in glide_audio.controllers(track, 65)]
    wanted = [0] + [127 if joined else 0 for joined in JOINED]
    if switch != wanted:
        hostcheck.fail("%s: controller 65 went out as %s, expected %s" % (path, switch, wanted))
    speeds = glide_audio.controllers(track, 5)
    if speeds != expect_speed:
        hostcheck.fail("%s: controller 5 went out as %s, expected %s"
                       % (path, speeds, expect_speed))


def measure(work, name, midi):
    wav = os.path.join(work, name + ".wav")
    glide_audio.render(midi, wav)
    samples, rate = glide_audio.read_wav(wav)
    track = glide_audio.track_pitch(samples, rate)
    results = []
    for index, onset in enumerate(onsets()):
        result = glide_audio.measure_transition(track, onset, KEYS[index], KEYS[index + 1])
        result.update(joined=JOINED[index], start=KEYS[index], end=KEYS[index + 1],
                      onset=onset)
        results.append(result)
    return results


def describe(result):
    kind = "legato  " if result["joined"] else "detached"
    head = "%s %d->%d at %.2f s: %2d windows between" % (
        kind, result["start"], result["end"], result["onset"], result["between"])
    if not result["between"]:
        return "%s, jumps: on the new key %s ms after the onset" % (head, result["arrival_ms"])
    path = result["path"]
    sample = " ".join("%.1f" % key for key in path[::max(len(path) // 6, 1)])
    return "%s, glides in %s ms through %s" % (head, result["glide_ms"], sample)


def expect(name, results, glides):
    """`glides(result)` tells whether that transition must glide."""
    print("%s:" % name)
    for result in results:
        print("  " + describe(result))
    for result in results:
        if not result["arrived"]:
            hostcheck.fail("%s: the pitch never reached %d after %.2f s" % (
                name, result["end"], result["onset"]))
        if glides(result):
            if result["between"] < MIN_WINDOWS_BETWEEN or not result["steady"]:
                hostcheck.fail("%s: no steady glide across %s" % (name, describe(result)))
            if not 0.5 * GLIDE_MS <= (result["glide_ms"] or 0) <= 1.5 * GLIDE_MS:
                hostcheck.fail("%s: a glide of %s ms where %d ms are set" % (
                    name, result["glide_ms"], GLIDE_MS))
        elif result["between"] != 0:
            hostcheck.fail("%s: the pitch passed between the keys: %s" % (name, describe(result)))


def main():
    missing = glide_audio.synthesizer_missing()
    if missing:
        print("missing: " + missing)
        sys.exit(1)
    host, options = hostcheck.start(sys.argv[1:])
    work = options.work
    hostcheck.fresh_folder(work)

    plain = os.path.join(work, "phrase.mid")
    glide_audio.write_midi(plain, DIVISION, phrase_events())
    forced = os.path.join(work, "forced.mid")
    glide_audio.write_midi(forced, DIVISION, phrase_events(portamento=127))
    through = os.path.join(work, "quorlin.mid")
    speed_off = os.path.join(work, "quorlin-off.mid")
    for target, speed in ((through, str(SPEED)), (speed_off, "Off")):
        result = host.run("process", plain, "-o", target, "--speed", speed)
        if result.returncode != 0:
            hostcheck.fail("process --speed %s" % speed, result)
    check_controllers(through, [(0, SPEED)])
    check_controllers(speed_off, [])
    print("ok: controller 65 before every note-on, 127 only when joined; controller 5 = %d "
          "once, none with the speed Off" % SPEED)

    expect("through Quorlin, speed %d" % SPEED, measure(work, "quorlin", through),
           lambda result: result["joined"])
    expect("through Quorlin, speed Off", measure(work, "quorlin-off", speed_off),
           lambda result: False)
    expect("unprocessed", measure(work, "phrase", plain), lambda result: False)
    expect("portamento forced on before every note", measure(work, "forced", forced),
           lambda result: True)
    print("ok: %d legato transitions glide, %d detached ones jump" % (
        JOINED.count(True), JOINED.count(False)))


if __name__ == "__main__":
    main()
