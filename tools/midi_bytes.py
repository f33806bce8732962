"""Bytes of Standard MIDI Files, shared by the tools, the host's tests and the benchmarks."""


def variable_length(value):
    """A delta time or meta length as a variable-length quantity: 7 bits a byte, high first."""
    groups = [value & 0x7F]
    value >>= 7
    while value:
        groups.append(0x80 | (value & 0x7F))
        value >>= 7
    return bytes(reversed(groups))
