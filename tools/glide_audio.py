"""Rendering MIDI files with FluidSynth and following the pitch of the result.

Shared by `tools/listen.sh` and the audio test. The synthesizer is set up so that controller
65 alone decides whether a note glides: portamento mode "each note" on every channel (its
default glides only between overlapping notes). Controller 5 sets the glide time; FluidSynth
reads it as value x 128 milliseconds.

Only the standard library at import; numpy is needed for the pitch and WAV functions.
"""

import os
import shutil
import subprocess
import sys
import wave

from midi_bytes import variable_length

SOUNDFONT = "/usr/share/sounds/sf2/TimGM6mb.sf2"
SAMPLE_RATE = 22050
# General MIDI program 74, counted from 0: a flute, close to a sine, with a clear pitch.
FLUTE = 73
MILLISECONDS_PER_SPEED_STEP = 128


def synthesizer_missing():
    """Why FluidSynth cannot render here, or numpy follow the pitch, or None when both can."""
    if shutil.which("fluidsynth") is None:
        return "fluidsynth is not installed (install fluidsynth)"
    if not os.path.isfile(SOUNDFONT):
        return "the sound font %s is missing (install timgm6mb-soundfont)" % SOUNDFONT
    try:
        import numpy  # noqa: F401
    except ImportError:
        return "numpy is not installed for %s (install python3-numpy)" % sys.executable
    return None


def render(midi_path, wav_path, program=None):
    """Renders the file to a 16-bit WAV file at SAMPLE_RATE, without reverb or chorus."""
    commands = ["setportamentomode " + " ".join("%d 0" % channel for channel in range(16))]
    if program is not None:
        # Melodic channels only; channel 10 stays the drum kit.
        commands += ["prog %d %d" % (channel, program) for channel in range(16) if channel != 9]
    config = wav_path + ".fluidsynth"
    with open(config, "w") as stream:
        stream.write("\n".join(commands) + "\n")
    result = subprocess.run(
        ["fluidsynth", "-n", "-i", "-q", "-R", "0", "-C", "0", "-g", "0.6",
         "-r", str(SAMPLE_RATE), "-f", config, "-F", wav_path, SOUNDFONT, midi_path],
        capture_output=True, text=True, timeout=120)
    os.remove(config)
    if result.returncode != 0 or not os.path.isfile(wav_path):
        raise RuntimeError("fluidsynth failed on %s: %s" % (midi_path, result.stderr.strip()))


# --- Standard MIDI Files: just what the tools write and read ------------------------------

def write_midi(path, division, events):
    """One track, format 0. `events` are (tick, bytes) with complete status bytes."""
    data, last = bytearray(), 0
    for tick, message in sorted(events, key=lambda event: event[0]):
        data += variable_length(tick - last) + bytes(message)
        last = tick
    data += b"\x00\xFF\x2F\x00"
    with open(path, "wb") as stream:
        stream.write(b"MThd" + (6).to_bytes(4, "big") + bytes([0, 0, 0, 1]) +
                     division.to_bytes(2, "big") + b"MTrk" + len(data).to_bytes(4, "big") + data)


def read_midi(path):
    """(division, tracks); a track is a list of (tick, status, data) for channel messages and
    (tick, 0xFF, (type, payload)) for meta events. System-exclusive events are skipped."""
    with open(path, "rb") as stream:
        data = stream.read()
    if data[:4] != b"MThd":
        raise ValueError("%s is not a MIDI file" % path)
    division = int.from_bytes(data[12:14], "big")
    offset, tracks = 8 + int.from_bytes(data[4:8], "big"), []
    while offset + 8 <= len(data):
        length = int.from_bytes(data[offset + 4:offset + 8], "big")
        if data[offset:offset + 4] == b"MTrk":
            tracks.append(_read_track(data[offset + 8:offset + 8 + length]))
        offset += 8 + length
    return division, tracks


def _read_track(data):
    events, at, tick, running = [], 0, 0, 0

    def quantity():
        nonlocal at
        value = 0
        while True:
            byte = data[at]
            at += 1
            value = (value << 7) | (byte & 0x7F)
            if byte < 0x80:
                return value

    while at < len(data):
        tick += quantity()
        status = data[at]
        if status < 0x80:
            status = running
        else:
            at += 1
        if status == 0xFF:
            kind = data[at]
            at += 1
            length = quantity()
            events.append((tick, status, (kind, bytes(data[at:at + length]))))
            at += length
        elif status in (0xF0, 0xF7):
            length = quantity()
            at += length
        else:
            running = status
            size = 1 if status & 0xF0 in (0xC0, 0xD0) else 2
            events.append((tick, status, tuple(data[at:at + size])))
            at += size
    return events


def message_bytes(status, data):
    """The bytes of one event as read_midi gives it, for write_midi."""
    if status == 0xFF:
        kind, payload = data
        return bytes([0xFF, kind]) + variable_length(len(payload)) + payload
    return bytes([status, *data])


def controllers(track, number):
    """(tick, value) of every controller `number` event of a track, any channel."""
    return [(tick, data[1]) for tick, status, data in track
            if status & 0xF0 == 0xB0 and data[0] == number]


# --- Audio ---------------------------------------------------------------------------------

def read_wav(path):
    """(mono samples as floats, sample rate)."""
    import numpy
    with wave.open(path, "rb") as stream:
        rate, channels = stream.getframerate(), stream.getnchannels()
        frames = stream.readframes(stream.getnframes())
        if stream.getsampwidth() != 2:
            raise ValueError("%s: expected 16-bit samples" % path)
    samples = numpy.frombuffer(frames, dtype="<i2").astype(numpy.float64)
    return samples.reshape(-1, channels).mean(axis=1), rate


def track_pitch(samples, rate, window=0.04, hop=0.01, lowest=100.0, highest=1000.0):
    """The pitch every `hop` seconds as (time of the window's centre, MIDI key with fraction),
    None where the sound is too quiet or not periodic enough to tell one pitch.

    Autocorrelation of a plain window, normalized for the overlap at each lag; the shortest
    lag that comes near the best is the period, which avoids reading an octave too low.
    """
    import numpy
    size, step = int(window * rate), int(hop * rate)
    shortest, longest = int(rate / highest), int(rate / lowest)
    floor = numpy.max(numpy.abs(samples)) * 0.02 if len(samples) else 0.0
    overlap = (size - numpy.arange(size)) / size
    track = []
    for start in range(0, len(samples) - size, step):
        frame = samples[start:start + size] - numpy.mean(samples[start:start + size])
        centre = (start + size / 2) / rate
        if numpy.sqrt(numpy.mean(frame ** 2)) < floor:
            track.append((centre, None))
            continue
        spectrum = numpy.fft.rfft(frame, 2 * size)
        correlation = numpy.fft.irfft(spectrum * numpy.conj(spectrum))[:size]
        correlation = correlation / (correlation[0] * overlap)
        lags = correlation[shortest:longest]
        best = numpy.max(lags)
        if best < 0.85:
            track.append((centre, None))
            continue
        lag = shortest + int(numpy.argmax(lags >= 0.95 * best))
        # Walk to the top of that peak, then refine between samples.
        while lag + 1 < longest and correlation[lag + 1] > correlation[lag]:
            lag += 1
        before, peak, after = correlation[lag - 1], correlation[lag], correlation[lag + 1]
        bend = before - 2 * peak + after
        shift = 0.5 * (before - after) / bend if bend != 0 else 0.0
        frequency = rate / (lag + shift)
        track.append((centre, 69 + 12 * numpy.log2(frequency / 440.0)))
    return track


def measure_transition(track, onset, start_key, end_key, span=0.8, margin=0.75):
    """What the pitch does from `onset` (seconds) for `span` seconds, moving from start_key to
    end_key: how many windows lie between the two keys (more than `margin` semitones from
    both), whether those move steadily towards end_key, how long the move took and whether it
    arrived. A glide passes through the keys between; a jump lands on end_key at once."""
    low, high = sorted((start_key, end_key))
    upwards = end_key > start_key
    windows = [(time, key) for time, key in track
               if key is not None and onset - 0.02 <= time <= onset + span]
    between = [(time, key) for time, key in windows if low + margin < key < high - margin]
    steady = all((later >= earlier - 0.25) if upwards else (later <= earlier + 0.25)
                 for (_, earlier), (_, later) in zip(between, between[1:]))
    arrival = next((time for time, key in windows if abs(key - end_key) < 0.4), None)
    departure = next((time for time, key in windows if abs(key - start_key) >= 0.4), None)
    return {
        "between": len(between),
        "steady": steady,
        "arrived": arrival is not None,
        # From the onset until the pitch is on the new key.
        "arrival_ms": round(1000 * (arrival - onset)) if arrival is not None else None,
        # From leaving the old key until reaching the new one, for a glide.
        "glide_ms": round(1000 * (arrival - departure)) if between and arrival else None,
        "path": [round(key, 2) for _, key in between],
    }


def first_pitch_alone(midi_path, key, onset_tick, seconds, within=0.1):
    """The first pitch heard from `seconds` on, within `within` seconds (None if none), when the
    file is rendered with every note-on but that of `key` at `onset_tick` at velocity 1: too
    quiet to hear, while the synthesizer still takes every note and controller as they were."""
    division, tracks = read_midi(midi_path)
    events = []
    for tick, status, data in tracks[0]:
        if status & 0xF0 == 0x90 and data[1] > 0 and (tick, data[0]) != (onset_tick, key):
            data = (data[0], 1)
        events.append((tick, message_bytes(status, data)))
    alone, wav = midi_path + ".alone.mid", midi_path + ".alone.wav"
    write_midi(alone, division, events)
    render(alone, wav)
    return next((pitch for time, pitch in track_pitch(*read_wav(wav))
                 if pitch is not None and seconds <= time <= seconds + within), None)
