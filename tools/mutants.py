#!/usr/bin/python3
"""Mutation check: makes small faults in the legato core and its adapters, one at a time, in a
scratch copy of the tree, rebuilds what the file goes into and runs the suites that cover it. A
mutant the suites fail on is killed; one they pass is a survivor, unless tools/mutants-equivalent
lists it with the reason it cannot be told apart from the original. A mutant that does not
compile is stillborn and not counted. Ends with the table RELIABILITY.md shows and
"mutants: N passed, N failed" (killed or equivalent, survived); exit 1 when any survived.

    tools/mutants.py [--only SUBSTRING] [--list]
"""

import argparse
import os
import re
import shutil
import signal
import subprocess
import sys
import time

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
SCRATCH = os.path.join(ROOT, "build", "mutants")
SOURCE = os.path.join(SCRATCH, "source")
BUILD = os.path.join(SCRATCH, "build")
EQUIVALENT = os.path.join(ROOT, "tools", "mutants-equivalent")

# What is mutated: a file, the lines of it that are (from the first line matching `start` to the
# end), the targets it goes into, and the tests (a ctest regular expression) that cover it.
LV2_TESTS = "Lv2Plugin|lv2_jack"
# The playing options as FluidSynth plays them, through quorlin-host.
HEARD = "audio_playing_options"
TARGETS = [
    ("legato/LegatoCore.cpp", None, ["product_tests", "quorlin_lv2", "lv2_plugin_tests",
                                     "quorlin-host", "channel_bank_tests"],
     "QuorlinModule|" + LV2_TESTS + "|host_playing_options|ChannelBank|" + HEARD),
    ("legato/ChannelBank.cpp", None, ["quorlin_lv2", "lv2_plugin_tests", "quorlin-host",
                                      "channel_bank_tests"],
     LV2_TESTS + "|host_playing_options|ChannelBank|" + HEARD),
    ("legato/MidiKeyTable.cpp", None, ["quorlin_lv2", "lv2_plugin_tests", "quorlin-host",
                                       "channel_bank_tests"],
     LV2_TESTS + "|host_playing_options|ChannelBank|" + HEARD),
    ("legato/MidiKeyTable.h", "class MidiKeyTable",
     ["quorlin_lv2", "lv2_plugin_tests", "quorlin-host", "channel_bank_tests"],
     LV2_TESTS + "|host_playing_options|ChannelBank|" + HEARD),
    ("legato/HeldNoteTable.cpp", "void HeldNoteTable::add",
     ["held_note_table_tests", "product_tests"], "HeldNoteTable|QuorlinModule"),
    ("legato/PlayingRanges.cpp", None, ["quorlin_lv2", "lv2_plugin_tests", "host_cli_tests",
                                        "quorlin-host", "channel_bank_tests"],
     LV2_TESTS + "|HostCommandLine|host_playing_options|host_process|ChannelBank"),
    ("lv2/QuorlinPlugin.cpp", "void QuorlinPlugin::activate", ["quorlin_lv2", "lv2_plugin_tests"],
     LV2_TESTS),
    ("host/plugin/BankChannel.cpp", None, ["quorlin-host"], "host_playing_options|" + HEARD),
    ("host/plugin/MidiProcessor.cpp", "class PluginChannel", ["quorlin-host", "host_cli_tests"],
     "host_process|host_playing_options|MidiProcessor"),
]
# Suites that start a program or a server: they run only when the quick ones have not killed
# the mutant already.
SLOW = re.compile(r"^(lv2_jack|host_|audio_)")
# PluginChannel ends where the next class begins.
STOP = re.compile(r"^// A track held as events\.")

COMPARISONS = {" < ": " >= ", " >= ": " < ", " > ": " <= ", " <= ": " > ", " == ": " != ",
               " != ": " == "}
BOOLEANS = {"true": "false", "false": "true", " && ": " || ", " || ": " && "}
# A statement that only does something: a call, an assignment, an increment.
STATEMENT = re.compile(r"^[A-Za-z_][\w.\->\[\]]*(\(.*\)|\s*[-+*/|&^]?=\s.*|\+\+|--);$")
DECLARATION = re.compile(r"^(return|auto|const|static|std::|bool|int|unsigned|double|float|"
                         r"using|case|break|continue)\b")


def code_of(line):
    """The line without its comment."""
    return line.split("//", 1)[0]


def mutants_of(path, start):
    """Each mutant of the file: (line number, operator, original line, mutated line)."""
    lines = open(os.path.join(ROOT, path)).read().split("\n")
    active = start is None
    found = []
    for number, line in enumerate(lines, 1):
        if not active and start in line:
            active = True
        if active and STOP.match(line):
            break
        code = code_of(line)
        stripped = code.strip()
        if not active or not stripped or stripped.startswith("#"):
            continue
        for kind, table in (("comparison", COMPARISONS), ("boolean", BOOLEANS)):
            for before, after in table.items():
                pattern = re.escape(before) if before.startswith(" ") else r"\b%s\b" % before
                for match in re.finditer(pattern, code):
                    mutated = line[:match.start()] + after + line[match.end():]
                    found.append((number, kind, line, mutated))
        for match in re.finditer(r"(?<![\w.])(\d+)(?![\w.])", code):
            value = int(match.group(1))
            mutated = line[:match.start()] + str(value + 1) + line[match.end():]
            found.append((number, "constant", line, mutated))
        if STATEMENT.match(stripped) and not DECLARATION.match(stripped):
            found.append((number, "statement", line, ""))
    return found


def key(path, kind, line):
    """How a mutant is named in the list of equivalents: stable while the line stays."""
    return "%s | %s | %s" % (path, kind, line.strip())


def equivalents():
    known = {}
    if os.path.exists(EQUIVALENT):
        for entry in open(EQUIVALENT).read().split("\n\n"):
            lines = [line for line in entry.strip().split("\n") if not line.startswith("#")]
            if len(lines) >= 2:
                known[lines[0] + " | " + lines[1]] = " ".join(lines[2:])
    return known


def prepare():
    """A scratch copy of the tracked files and a build tree of it, built once."""
    files = subprocess.run(["git", "ls-files"], cwd=ROOT, capture_output=True, text=True,
                           check=True).stdout.split()
    for name in files:
        target = os.path.join(SOURCE, name)
        os.makedirs(os.path.dirname(target), exist_ok=True)
        source = os.path.join(ROOT, name)
        if not os.path.exists(target) or open(source, "rb").read() != open(target, "rb").read():
            shutil.copy2(source, target)
    if not os.path.exists(os.path.join(BUILD, "build.ninja")):
        # Unoptimised and without debugging information: each mutant's build is what counts.
        subprocess.run(["cmake", "-S", SOURCE, "-B", BUILD, "-G", "Ninja",
                        "-DCMAKE_BUILD_TYPE=", "-DQUORLIN_LV2_LTO=OFF"], check=True,
                       stdout=subprocess.DEVNULL)
    targets = sorted({target for entry in TARGETS for target in entry[2]})
    subprocess.run(["cmake", "--build", BUILD, "--target"] + targets, check=True,
                   stdout=subprocess.DEVNULL)


def build(targets):
    return subprocess.run(["cmake", "--build", BUILD, "--target"] + targets,
                          stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL).returncode == 0


def stages(regex):
    """The tests `regex` selects, as two exact selections: the quick ones, then the slow."""
    listing = subprocess.run(["ctest", "--test-dir", BUILD, "-N", "-R", regex],
                             capture_output=True, text=True, check=True).stdout
    names = re.findall(r"Test +#\d+: (\S+)", listing)
    chosen = [[name for name in names if not SLOW.match(name)],
              [name for name in names if SLOW.match(name)]]
    return ["^(%s)$" % "|".join(map(re.escape, stage)) for stage in chosen if stage]


def tests_pass(selections, seconds):
    """Whether every selection passes, each within `seconds` (None: no bound). A mutant that
    hangs the suites is caught by them: ctest ends the test, and the whole process group goes
    if ctest itself runs late, so no hanging test lives on to slow the next mutants."""
    for selection in selections:
        command = ["ctest", "--test-dir", BUILD, "-R", selection, "-j2", "--stop-on-failure"]
        if seconds is not None:
            command += ["--timeout", "%d" % seconds]
        process = subprocess.Popen(command, stdout=subprocess.DEVNULL,
                                   stderr=subprocess.DEVNULL, start_new_session=True)
        try:
            passed = process.wait(timeout=None if seconds is None else 2 * seconds) == 0
        except subprocess.TimeoutExpired:
            passed = False
        try:
            os.killpg(process.pid, signal.SIGKILL)
        except ProcessLookupError:
            pass
        process.wait()
        if not passed:
            return False
    return True


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--only", default="", help="only files whose path holds this")
    parser.add_argument("--list", action="store_true", help="list the mutants, run nothing")
    options = parser.parse_args()
    chosen = [entry for entry in TARGETS if options.only in entry[0]]
    if options.list:
        for path, start, _, _ in chosen:
            for number, kind, line, mutated in mutants_of(path, start):
                print("%s:%d %s: %s" % (path, number, kind, mutated.strip() or "(dropped)"))
        return 0
    started = time.monotonic()
    prepare()
    known = equivalents()
    rows = []
    survivors = []
    for path, start, targets, regex in chosen:
        # The unmutated suites bound each mutant's run: a mutant may take five times as long.
        baseline = time.monotonic()
        selections = stages(regex)
        if not tests_pass(selections, None):
            print("the suites for %s fail without a mutant" % path)
            print("mutants: 0 passed, 1 failed")
            return 1
        limit = 5 * (time.monotonic() - baseline) + 10
        counts = {"made": 0, "stillborn": 0, "killed": 0, "equivalent": 0, "survived": 0}
        original = open(os.path.join(ROOT, path)).read()
        lines = original.split("\n")
        scratch = os.path.join(SOURCE, path)
        for number, kind, line, mutated in mutants_of(path, start):
            counts["made"] += 1
            changed = lines[:number - 1] + [mutated] + lines[number:]
            with open(scratch, "w") as stream:
                stream.write("\n".join(changed))
            if not build(targets):
                counts["stillborn"] += 1
            elif not tests_pass(selections, limit):
                counts["killed"] += 1
            elif key(path, kind, line) in known:
                counts["equivalent"] += 1
            else:
                counts["survived"] += 1
                survivors.append("%s:%d %s: %s -> %s" % (
                    path, number, kind, line.strip(), mutated.strip() or "(dropped)"))
        with open(scratch, "w") as stream:
            stream.write(original)
        build(targets)
        rows.append((path, counts))
        tally = ", ".join("%d %s" % (number, kind) for kind, number in counts.items())
        print("%s: %s (%.1f minutes)" % (path, tally, (time.monotonic() - baseline) / 60),
              flush=True)
    minutes = (time.monotonic() - started) / 60
    print("\n| File | Made | Stillborn | Killed | Equivalent | Survived |")
    print("|---|---:|---:|---:|---:|---:|")
    total = {}
    for path, counts in rows:
        print("| `%s` | %d | %d | %d | %d | %d |" % ((path,) + tuple(counts.values())))
        for kind, number in counts.items():
            total[kind] = total.get(kind, 0) + number
    print("| all | %d | %d | %d | %d | %d |" % tuple(total.values()))
    print("\n%.1f minutes" % minutes)
    for survivor in survivors:
        print("survived: " + survivor)
    print("mutants: %d passed, %d failed" % (total["killed"] + total["equivalent"],
                                             total["survived"]))
    return 1 if survivors else 0


if __name__ == "__main__":
    sys.exit(main())
