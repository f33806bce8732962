"""How notes are read from mido messages, shared by the host's check of `process` and the
benchmark's plain reference of it: velocity-0 note-ons end notes, and a note's length pairs its
note-on with the next note-off of the same channel and key, oldest first."""


def is_note_on(message):
    return message.type == "note_on" and message.velocity > 0


def is_note_off(message):
    return message.type == "note_off" or (message.type == "note_on" and message.velocity == 0)


def note_lengths(timed):
    """timed: (tick, message) in order. Returns {index of a note-on: its length in ticks}."""
    lengths = {}
    waiting = {}
    for index, (tick, message) in enumerate(timed):
        if is_note_on(message):
            waiting.setdefault((message.channel, message.note), []).append(index)
        elif is_note_off(message):
            starts = waiting.get((message.channel, message.note))
            if starts:
                start = starts.pop(0)
                lengths[start] = tick - timed[start][0]
    return lengths
