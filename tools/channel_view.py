#!/usr/bin/python3
"""How a synthesizer hears a file that quorlin-host wrote: one stream per MIDI channel.

quorlin-host gives each track and channel a plug-in instance of its own, while a synthesizer
merges every track of a channel into one stream. Where two tracks play one channel (a piano's
two staves), the controller 65 last received before a note-on may be another track's. This
tool merges the output's tracks per channel as a synthesizer plays them (in time; at equal
ticks the lower track first, then in file order) and, for every note-on on a channel played by
two or more tracks, tells which track the last controller 65 before it came from and whether
its value differs from the one the note's own track had sent last: then the note is heard with
another track's controller 65. It also counts the notes heard with a controller 65 other than
the one the channel's keys ask for (127 while another key of the channel is held, whichever
track holds it): that is 0 when the whole channel is played by one instance, as
`quorlin-host process` plays it unless told --per-track.

    channel_view.py IN.mid OUT.mid            the count, and a line per such note
    channel_view.py IN.mid OUT.mid --notes    a line per note on a shared channel
    channel_view.py IN.mid OUT.mid --listen   also renders OUT.mid with FluidSynth, one note at
                                              a time (glide_audio.first_pitch_alone), and lists
                                              the notes whose start pitch is more than half a
                                              semitone off their key

IN.mid is the file given to quorlin-host; it says which tracks play each channel, and its notes
must be the output's. Tracks count from 1 as quorlin-host counts them.
"""

import argparse
import bisect
import os
import shutil
import sys
import tempfile

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import glide_audio  # noqa: E402

NAMES = ["C", "C#", "D", "D#", "E", "F", "F#", "G", "G#", "A", "A#", "B"]
OFF_KEY = 0.5           # semitones: a start pitch further than this from its key is off
LISTEN_AFTER = 0.02     # seconds into a note where its first pitch is read, as the audio tests do
# The keys whose pitch glide_audio.track_pitch reads right with its defaults (100 to 1000 Hz):
# G#2 to G5. On the flute, A5 and above read an octave low.
READABLE_KEYS = range(44, 80)


def note_name(key):
    return "%s%d" % (NAMES[key % 12], key // 12 - 1)


def is_note_on(status, data):
    return status & 0xF0 == 0x90 and data[1] > 0


def is_cc65(status, data):
    return status & 0xF0 == 0xB0 and data[0] == 65


def merged(tracks):
    """Every event of every track as (tick, track number from 1, status, data), as a
    synthesizer plays them: in time, at equal ticks the lower track first, then file order."""
    events = [(tick, number, index, status, data)
              for number, track in enumerate(tracks, 1)
              for index, (tick, status, data) in enumerate(track)]
    events.sort(key=lambda event: event[:3])
    return [(tick, number, status, data) for tick, number, _, status, data in events]


class TempoMap:
    """Seconds of a tick, from every tempo change in the file (500000 us a beat until one)."""

    def __init__(self, division, events):
        self.division = division
        self.ticks, self.starts, self.tempos = [0], [0.0], [500000]
        for tick, _, status, data in events:
            if status == 0xFF and data[0] == 0x51 and len(data[1]) == 3:
                tempo = int.from_bytes(data[1], "big")
                start = self.seconds(tick)
                if tick == self.ticks[-1]:
                    self.starts[-1], self.tempos[-1] = start, tempo
                else:
                    self.ticks.append(tick)
                    self.starts.append(start)
                    self.tempos.append(tempo)

    def seconds(self, tick):
        at = bisect.bisect_right(self.ticks, tick) - 1
        return self.starts[at] + (tick - self.ticks[at]) * self.tempos[at] / 1e6 / self.division


def playing_tracks(tracks):
    """{channel: sorted track numbers with a note-on on it}."""
    players = {}
    for number, track in enumerate(tracks, 1):
        for _, status, data in track:
            if is_note_on(status, data):
                players.setdefault(status & 0x0F, set()).add(number)
    return {channel: sorted(numbers) for channel, numbers in players.items()}


def note_set(tracks):
    return sorted((number, tick, status & 0x0F, data[0])
                  for number, track in enumerate(tracks, 1)
                  for tick, status, data in track if is_note_on(status, data))


def is_note_off(status, data):
    return status & 0xF0 == 0x80 or (status & 0xF0 == 0x90 and data[1] == 0)


def heard_notes(events, shared):
    """A dict per note-on on a channel of `shared`: where it is, the controller 65 the channel
    had last received (value and track, None if none), the one its own track had sent last, and
    the one the channel's keys ask for (127 while another key of the channel is held, by any
    track: Quorlin's rule at its defaults)."""
    channel_last, track_last, previous_note, held, notes = {}, {}, {}, {}, []
    for tick, number, status, data in events:
        channel = status & 0x0F
        if status == 0xFF or status >= 0xF0 or channel not in shared:
            continue
        keys = held.setdefault(channel, set())
        if is_cc65(status, data):
            channel_last[channel] = (data[1], number)
            track_last[(channel, number)] = data[1]
        elif is_note_on(status, data):
            heard_value, heard_track = channel_last.get(channel, (None, None))
            own = track_last.get((channel, number))
            notes.append({
                "tick": tick, "track": number, "channel": channel, "key": data[0],
                "heard": heard_value, "heard_track": heard_track, "own": own,
                "asked": 127 if keys - {data[0]} else 0,
                "other_track": heard_track is not None and heard_track != number,
                "previous": previous_note.get(channel),
            })
            notes[-1]["wrong"] = notes[-1]["other_track"] and heard_value != own
            notes[-1]["unasked"] = heard_value != notes[-1]["asked"]
            previous_note[channel] = (data[0], number)
            keys.add(data[0])
        elif is_note_off(status, data):
            keys.discard(data[0])
    return notes


def value_text(value):
    return "-" if value is None else str(value)


def heard_text(note):
    if note["heard"] is None:
        return "none"
    return "%d (track %d)" % (note["heard"], note["heard_track"])


def print_note(note, tempo, extra=""):
    previous = note["previous"]
    after = "-" if previous is None else "%s (track %d)" % (note_name(previous[0]), previous[1])
    print("  %7d  %7.3f  %5d  %2d  %-4s  %-16s  %-8s  %-14s  %s" % (
        note["tick"], tempo.seconds(note["tick"]), note["track"], note["channel"] + 1,
        note_name(note["key"]), heard_text(note), value_text(note["own"]), after,
        "%-15s" % ("ANOTHER TRACK'S" if note["wrong"] else "") + extra))


HEADER = ("     tick  seconds  track  ch  note  heard cc65        own cc65  after note"
          "      heard with      ")


def render_events(events, program):
    """The merged output as one track for glide_audio.write_midi; with `program`, the file's
    program changes are left out and every melodic channel plays that program from tick 0."""
    result = []
    if program is not None:
        result = [(0, bytes([0xC0 | channel, program])) for channel in range(16) if channel != 9]
    for tick, _, status, data in events:
        if status == 0xFF and data[0] == 0x2F:
            continue
        if program is not None and status & 0xF0 == 0xC0 and status & 0x0F != 9:
            continue
        result.append((tick, glide_audio.message_bytes(status, data)))
    return result


def listen(notes, events, division, tempo, options):
    """Measures each note's first pitch; returns the notes with a `pitch` (None: not heard)."""
    missing = glide_audio.synthesizer_missing()
    if missing:
        sys.exit("channel_view: " + missing)
    program = None if options.program == "file" else int(options.program)
    stream = render_events(events, program)
    work = options.work or tempfile.mkdtemp(prefix="channel-view-")
    os.makedirs(work, exist_ok=True)
    try:
        for index, note in enumerate(notes):
            note["pitch"] = None
            if note["key"] not in READABLE_KEYS:
                continue
            # The file up to a beat after the note, where All Sound Off on every channel ends it
            # (FluidSynth renders on while a voice still sounds).
            end = note["tick"] + division
            cut = [event for event in stream if event[0] <= end] + [
                (end, bytes([0xB0 | channel, 120, 0])) for channel in range(16)]
            path = os.path.join(work, "note-%04d.mid" % index)
            glide_audio.write_midi(path, division, cut)
            note["pitch"] = glide_audio.first_pitch_alone(
                path, note["key"], note["tick"], tempo.seconds(note["tick"]) + LISTEN_AFTER)
            for leftover in (path, path + ".alone.mid", path + ".alone.wav"):
                if os.path.exists(leftover):
                    os.remove(leftover)
    finally:
        if not options.work:
            shutil.rmtree(work, ignore_errors=True)
    return notes


def main():
    parser = argparse.ArgumentParser(
        description="Merges a quorlin-host output per channel as a synthesizer hears it and "
        "reports the notes heard with another track's controller 65.")
    parser.add_argument("input", help="the file given to quorlin-host")
    parser.add_argument("output", help="the file quorlin-host wrote from it")
    parser.add_argument("--notes", action="store_true",
                        help="a line for every note on a shared channel, not only the wrong ones")
    parser.add_argument("--listen", action="store_true",
                        help="render the output with FluidSynth and list the notes whose start "
                        "pitch is more than half a semitone off their key")
    parser.add_argument("--program", default=str(glide_audio.FLUTE),
                        help="with --listen: General MIDI program from 0 for every melodic "
                        "channel (default %d, a flute, whose pitch reads clearly), or 'file' "
                        "for the file's own" % glide_audio.FLUTE)
    parser.add_argument("--work", help="with --listen: folder for the renderings (default a "
                        "temporary one, removed afterwards)")
    options = parser.parse_args()
    if options.program != "file" and not (options.program.isdigit() and
                                          int(options.program) < 128):
        parser.error("--program takes 0..127 or 'file'")

    _, input_tracks = glide_audio.read_midi(options.input)
    division, tracks = glide_audio.read_midi(options.output)
    if note_set(input_tracks) != note_set(tracks):
        sys.exit("channel_view: the notes of %s are not those of %s" % (
            options.output, options.input))
    players = playing_tracks(input_tracks)
    shared = {channel: numbers for channel, numbers in players.items() if len(numbers) > 1}
    events = merged(tracks)
    tempo = TempoMap(division, events)
    for channel, numbers in sorted(shared.items()):
        print("channel %d: tracks %s" % (channel + 1, ", ".join(map(str, numbers))))
    if not shared:
        print("no channel is played by more than one track")
    notes = heard_notes(events, shared)
    if options.listen:
        listen(notes, events, division, tempo, options)

    wrong = [note for note in notes if note["wrong"]]
    listed = notes if options.notes else wrong
    if listed:
        print(HEADER + ("start pitch" if options.listen else ""))
        for note in listed:
            pitch = note.get("pitch")
            extra = "" if not options.listen else (
                "  %s" % ("-" if pitch is None else "%.2f" % pitch))
            print_note(note, tempo, extra)
    print("notes: %d, last controller 65 from another track: %d, "
          "heard with another track's controller 65: %d, "
          "heard with a controller 65 the channel's keys do not ask for: %d" % (
              len(notes), sum(note["other_track"] for note in notes), len(wrong),
              sum(note["unasked"] for note in notes)))
    if options.listen:
        measured = [note for note in notes if note["pitch"] is not None]
        dives = [note for note in measured if abs(note["pitch"] - note["key"]) > OFF_KEY]
        print("start pitch %d ms into each note, program %s:" % (
            1000 * LISTEN_AFTER, options.program))
        if dives:
            print(HEADER + "start pitch")
            for note in dives:
                print_note(note, tempo, "  %.2f" % note["pitch"])
        unreadable = sum(note["key"] not in READABLE_KEYS for note in notes)
        print("measured: %d, outside the pitch reader's keys %d..%d: %d, no pitch read: %d, "
              "off their key by more than %.1f semitone: %d, "
              "of them heard with another track's controller 65: %d" % (
                  len(measured), READABLE_KEYS[0], READABLE_KEYS[-1], unreadable,
                  len(notes) - len(measured) - unreadable, OFF_KEY, len(dives),
                  sum(note["wrong"] for note in dives)))


if __name__ == "__main__":
    main()
