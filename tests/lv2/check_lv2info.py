"""Checks what lv2info shows of the Quorlin bundle: name, class, maker, features and ports."""

import argparse
import re
import subprocess
import sys

EXPECTED_LINES = [
    r"^\tName:\s+Quorlin$",
    r"^\tClass:\s+MIDI$",
    r"^\tAuthor:\s+Tessivar$",
    r"^\tRequired Features:\s+http://lv2plug.in/ns/ext/urid#map$",
    r"^\tPresets:",
]

OPTIONAL_FEATURES = [
    "http://lv2plug.in/ns/ext/log#log",
    "http://lv2plug.in/ns/lv2core#hardRTCapable",
]

# Port index, symbol, name, the types it must have, and for a control its range, default,
# property and scale point.
CONTROL = ["lv2core#ControlPort", "lv2core#InputPort"]
PORTS = [
    (0, "midi_in", "MIDI in", ["atom#AtomPort", "lv2core#InputPort"], None),
    (1, "midi_out", "MIDI out", ["atom#AtomPort", "lv2core#OutputPort"], None),
    (2, "speed", "Portamento speed", CONTROL,
     ("-1.000000", "127.000000", "-1.000000", "lv2core#integer", '-1 = "Off"')),
    (3, "chord_window", "Chord window", CONTROL,
     ("0.000000", "100.000000", "0.000000", "lv2core#integer", None)),
    (4, "cc65_on_change", "Controller 65 on change only", CONTROL,
     ("0.000000", "1.000000", "0.000000", "lv2core#toggled", None)),
    (5, "glide_source", "Glide source", CONTROL,
     ("0.000000", "1.000000", "0.000000", "lv2core#toggled", None)),
    (6, "interval_limit", "Interval limit", CONTROL,
     ("0.000000", "128.000000", "128.000000", "lv2core#integer", '128 = "No limit"')),
    (7, "legato_tolerance", "Legato tolerance", CONTROL,
     ("0.000000", "100.000000", "0.000000", "lv2core#integer", None)),
]


def port_sections(text):
    sections = {}
    for match in re.finditer(r"^\tPort (\d+):\n((?:\t\t.*\n|\n)*)", text, re.MULTILINE):
        sections[int(match.group(1))] = match.group(2)
    return sections


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--lv2info", required=True)
    parser.add_argument("--uri", required=True)
    args = parser.parse_args()
    result = subprocess.run([args.lv2info, args.uri], capture_output=True, text=True, timeout=60)
    text = result.stdout
    print(text)
    failures = []
    if result.returncode != 0:
        failures.append(f"lv2info exited with {result.returncode}: {result.stderr.strip()}")
    for pattern in EXPECTED_LINES:
        if not re.search(pattern, text, re.MULTILINE):
            failures.append(f"no line matching {pattern!r}")
    optional = re.search(r"^\tOptional Features:(.*?)^\tPresets:", text, re.MULTILINE | re.DOTALL)
    for feature in OPTIONAL_FEATURES:
        if not optional or feature not in optional.group(1).split():
            failures.append(f"{feature} is not among the optional features")
    sections = port_sections(text)
    if sorted(sections) != [port[0] for port in PORTS]:
        failures.append(f"ports {sorted(sections)}, expected {[port[0] for port in PORTS]}")
    for index, symbol, name, types, control in PORTS:
        section = sections.get(index, "")
        if not re.search(rf"Symbol:\s+{symbol}\n", section):
            failures.append(f"port {index} is not {symbol}")
        if not re.search(rf"Name:\s+{name}\n", section):
            failures.append(f"port {index} is not named {name!r}")
        for kind in types:
            if kind not in section:
                failures.append(f"port {index} is not a {kind}")
        if control:
            minimum, maximum, default, kind, scale = control
            for label, value in (("Minimum", minimum), ("Maximum", maximum),
                                 ("Default", default)):
                if not re.search(rf"{label}:\s+{re.escape(value)}\n", section):
                    failures.append(f"port {index}: {label} is not {value}")
            if scale and scale not in section:
                failures.append(f"port {index} lacks the scale point {scale}")
            if kind not in section:
                failures.append(f"port {index} is not {kind}")
    for failure in failures:
        print("FAIL:", failure)
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
