#!/usr/bin/python3
"""Renders the demo phrase twice with FluidSynth, as played and as it came out of Quorlin, and
says where the glides are: from the controllers in the file and as measured in the audio.

Called by tools/listen.sh with the demo file that quorlin-host wrote.
"""

import argparse
import os
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import glide_audio  # noqa: E402

NAMES = ["C", "C#", "D", "D#", "E", "F", "F#", "G", "G#", "A", "A#", "B"]


def note_name(key):
    return "%s%d" % (NAMES[key % 12], key // 12 - 1)


class Timing:
    """Seconds and bar.beat of a tick from the file's first tempo and time signature."""

    def __init__(self, division, track):
        self.division = division
        self.quarter_seconds, self.beats, self.beat_ticks = 0.5, 4, division
        for _, status, data in track:
            if status == 0xFF and data[0] == 0x51 and len(data[1]) == 3:
                self.quarter_seconds = int.from_bytes(data[1], "big") / 1e6
            if status == 0xFF and data[0] == 0x58 and len(data[1]) >= 2:
                self.beats, self.beat_ticks = data[1][0], division * 4 >> data[1][1]

    def seconds(self, tick):
        return tick / self.division * self.quarter_seconds

    def bar_beat(self, tick):
        beat = tick // self.beat_ticks
        return "%d.%d" % (beat // self.beats + 1, beat % self.beats + 1)


def note_ons(track):
    """(tick, key, controller 65 value sent just before it or None) of every note-on."""
    result, switch = [], None
    for tick, status, data in track:
        if status & 0xF0 == 0xB0 and data[0] == 65:
            switch = data[1]
        elif status & 0xF0 == 0x90 and data[1] > 0:
            result.append((tick, data[0], switch))
            switch = None
    return result


def compare(plain, quorlin, onset, span):
    """How the rendering through Quorlin differs from the one as played after `onset`: the
    renderings are the same but for the controllers, so any difference is a glide."""
    import numpy
    (plain_samples, plain_pitch), (samples, pitch) = plain, quorlin
    rate = glide_audio.SAMPLE_RATE
    first, last = int(onset * rate), int((onset + span) * rate)
    difference = samples[first:last] - plain_samples[first:last]
    level = numpy.sqrt(numpy.mean(plain_samples[first:last] ** 2)) or 1.0
    if numpy.sqrt(numpy.mean(difference ** 2)) < 1e-3 * level:
        return "same as played"
    offsets = [abs(ours - theirs) for (time, ours), (_, theirs) in zip(pitch, plain_pitch)
               if onset <= time <= onset + span and ours is not None and theirs is not None]
    apart = [offset for offset in offsets if offset > 0.25]
    if not apart:
        return "differs (notes sound together)"
    return "glides: up to %.1f semitones off for %d ms" % (max(apart), 10 * len(apart))


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--out", required=True)
    parser.add_argument("--speed", type=int, required=True)
    parser.add_argument("--program", type=int, default=glide_audio.FLUTE)
    parser.add_argument("processed", help="the demo phrase as quorlin-host wrote it")
    options = parser.parse_args()
    missing = glide_audio.synthesizer_missing()
    if missing:
        sys.exit("listen: " + missing)

    division, tracks = glide_audio.read_midi(options.processed)
    track = tracks[0]
    # The phrase as played is the plug-in's output without the two controllers it adds.
    played = [(tick, glide_audio.message_bytes(status, data)) for tick, status, data in track
              if not (status & 0xF0 == 0xB0 and data[0] in (5, 65))]
    plain_midi = os.path.join(options.out, "demo-plain.mid")
    glide_audio.write_midi(plain_midi, division, played)

    timing = Timing(division, track)
    renderings = {}
    for name, midi in (("plain", plain_midi), ("quorlin", options.processed)):
        wav = os.path.join(options.out, "demo-%s.wav" % name)
        glide_audio.render(midi, wav, options.program)
        samples, rate = glide_audio.read_wav(wav)
        renderings[name] = (wav, samples, glide_audio.track_pitch(samples, rate))

    glide_ms = options.speed * glide_audio.MILLISECONDS_PER_SPEED_STEP
    print("FluidSynth, General MIDI program %d, portamento following controller 65 on every "
          "note;" % (options.program + 1))
    print("portamento time %d (FluidSynth: %d ms for the whole glide)." % (options.speed, glide_ms))
    for name, (wav, samples, _) in renderings.items():
        what = "as played" if name == "plain" else "through Quorlin"
        print("  %-34s %5.2f s  %s" % (wav, len(samples) / glide_audio.SAMPLE_RATE, what))
    print()
    print("  time  bar.beat  note  controller 65    through Quorlin, against the phrase as played")
    notes = note_ons(track)
    glides = []
    for index, (tick, key, switch) in enumerate(notes):
        onset = timing.seconds(tick)
        sent = "-" if switch is None else str(switch)
        if switch is not None and switch >= 64 and index > 0:
            previous = notes[index - 1][1]
            sent += " (from %s)" % note_name(previous)
            glides.append("%.2f s %s to %s" % (onset, note_name(previous), note_name(key)))
        later = [timing.seconds(t) for t, _, _ in notes[index + 1:] if t > tick]
        span = min(0.6, later[0] - onset) if later else 0.6
        # Notes struck together are heard together: one comparison per chord.
        heard = "" if index > 0 and notes[index - 1][0] == tick else compare(
            renderings["plain"][1:], renderings["quorlin"][1:], onset, span)
        print("  %4.2f  %-8s  %-4s  %-15s  %s" % (onset, timing.bar_beat(tick), note_name(key),
                                                  sent, heard))
    print()
    print("Glides in demo-quorlin.wav (controller 65 = 127):")
    print("  " + ("\n  ".join(glides) if glides else "none"))
    print("demo-plain.wav has no controller 65, so nothing in it glides; the two renderings "
          "differ\nonly where Quorlin turned portamento on.")


if __name__ == "__main__":
    main()
