#!/usr/bin/python3
"""Turns the micro benchmark JSON and the end-to-end figures into the table of BENCHMARKS.md.
Exits non-zero when a case failed, when any case allocated in steady state, or when a case or
its baseline is missing.

Each case's time is the fastest of its repetitions, each repetition being the mean over many
iterations: on a shared machine interference only ever adds time. Times are per unit (the
case's "units" counter: one event, a note-on with its note-off, or one position call).
"""

import argparse
import json
import os
import platform
import re
import subprocess
import sys

# Case name: (what one unit is, the host calls the plug-in makes per unit).
CASES = {
    "controller": ("controller (status 176), passed through", "6 reads, forward"),
    "noteOnAlone": ("note-on, no other key held, with its note-off",
                    "note-on calls + 6 reads, send"),
    "noteOnAfterEnd": ("note-on, the previous note's length ran out (1 key held)",
                       "6 reads, create, read, set, 2 sends, release"),
    "noteOnPruned": ("note-on with a length, one ended note pruned (4 held)",
                     "6 reads, create, read, set, 2 sends, release"),
    "noteOnEightHeld": ("note-on, 8 keys held (a held key struck again)",
                        "6 reads, create, read, set, 2 sends, release"),
    "noteOff": ("note-off of a held key (32 held)", "6 reads, send"),
    "mixedStream": ("mixed stream, per event: 1/2 note-ons with lengths, 1/4 note-offs, "
                    "1/4 controllers", "as each kind"),
    "positionIdle": ("processTime, nothing due", "none"),
    "positionSpeedDue": ("processTime with controller 5 due (after a start)",
                         "create, set, send, release"),
}
# The per-note-on goal: the plug-in's own time, over the baseline, stays well under this.
NOTE_ON_GOAL_NS = 100
END_TO_END_GOAL = 20
CABLE_MESSAGES_PER_SECOND = 31250 / 10 / 3  # 31,250 baud, 10 bits a byte, 3 bytes a message


def fastest_runs(micro):
    """{case: {"plugin"|"baseline": (ns per unit, most allocations per unit)}}, and failures."""
    runs = {}
    failures = []
    for row in micro["benchmarks"]:
        if row.get("run_type") != "iteration":
            continue
        side, case = row["run_name"].split("/")[:2]
        if row.get("error_occurred"):
            failures.append("%s/%s: %s" % (side, case, row.get("error_message")))
            continue
        scale = {"ns": 1, "us": 1e3, "ms": 1e6, "s": 1e9}[row["time_unit"]]
        per_unit = row["real_time"] * scale / row["units"]
        fastest, allocations = runs.setdefault(case, {}).get(side, (per_unit, 0.0))
        runs[case][side] = (min(fastest, per_unit), max(allocations, row["allocations"]))
    return runs, failures


def machine(build_dir, micro):
    cpu = "unknown"
    with open("/proc/cpuinfo") as stream:
        for line in stream:
            if line.startswith("model name"):
                cpu = line.split(":", 1)[1].strip()
                break
    cache = {}
    with open(os.path.join(build_dir, "CMakeCache.txt")) as stream:
        for line in stream:
            match = re.match(r"(CMAKE_CXX_COMPILER|CMAKE_BUILD_TYPE):\w+=(.*)", line)
            if match:
                cache[match.group(1)] = match.group(2).strip()
    compiler = subprocess.run([cache.get("CMAKE_CXX_COMPILER", "c++"), "--version"],
                              capture_output=True, text=True).stdout.splitlines()[0]
    context = micro["context"]
    return [
        "CPU: %s, %d cores at %d MHz (%s)"
        % (cpu, os.cpu_count(), context["mhz_per_cpu"], platform.platform()),
        "Compiler: %s; build type %s (the native preset)" % (
            compiler, cache.get("CMAKE_BUILD_TYPE", "?")),
        "Load average when the micro benchmarks started: %s" % ", ".join(
            "%.2f" % value for value in context["load_avg"]),
        "Run at %s" % context["date"],
    ]


def micro_table(runs, failures):
    lines = [
        "| Case (one unit) | Host calls per unit | Plug-in ns | Host-only ns | Plug-in's own ns "
        "| Own / host-only | Heap allocations per unit |",
        "|---|---|---:|---:|---:|---:|---:|",
    ]
    for case, (label, calls) in CASES.items():
        sides = runs.get(case, {})
        if "plugin" not in sides or (calls != "none" and "baseline" not in sides):
            failures.append("%s: missing from the run" % case)
            continue
        plugin, plugin_allocations = sides["plugin"]
        baseline, baseline_allocations = sides.get("baseline", (0.0, 0.0))
        own = plugin - baseline
        ratio = "%.1fx" % (own / baseline) if baseline > 0 else "-"
        allocations = max(plugin_allocations, baseline_allocations)
        if allocations != 0:
            failures.append("%s: %g heap allocations per unit in steady state"
                            % (case, allocations))
        lines.append("| %s | %s | %.1f | %s | %.1f | %s | %g |" % (
            label, calls, plugin, "%.1f" % baseline if calls != "none" else "-", own, ratio,
            allocations))
    return lines


def end_to_end_table(figures):
    cable_seconds = figures["events"] / CABLE_MESSAGES_PER_SECOND
    return [
        "| Run | Seconds | Events per second | Ratio |",
        "|---|---:|---:|---:|",
        "| `quorlin-host process` (best of %d) | %.3f | %s | %.0fx the reference |" % (
            figures["host_runs"], figures["host_seconds_best"],
            "{:,.0f}".format(figures["host_events_per_second"]), figures["speedup"]),
        "| `bench/reference_process.py` (mido) | %.1f | %s | 1x |" % (
            figures["reference_seconds"],
            "{:,.0f}".format(figures["reference_events_per_second"])),
        "| a MIDI 1.0 cable (31,250 baud, 3-byte messages) | %s | %s | %.0fx slower than "
        "the host |" % ("{:,.0f}".format(cable_seconds),
                        "{:,.0f}".format(CABLE_MESSAGES_PER_SECOND),
                        figures["host_events_per_second"] / CABLE_MESSAGES_PER_SECOND),
        "",
        "%s events in (%s bytes), %s out; the host's and the reference's files are %s." % (
            "{:,}".format(figures["events"]), "{:,}".format(figures["input_bytes"]),
            "{:,}".format(figures["events_out"]),
            "byte-identical" if figures["identical_bytes"] else "equal message by message"),
    ]


def main():
    parser = argparse.ArgumentParser(description=__doc__)
    parser.add_argument("--micro", required=True)
    parser.add_argument("--end-to-end", required=True)
    parser.add_argument("--build", required=True, help="the native build folder")
    options = parser.parse_args()
    with open(options.micro) as stream:
        micro = json.load(stream)
    with open(options.end_to_end) as stream:
        figures = json.load(stream)

    runs, failures = fastest_runs(micro)
    lines = ["Machine:", ""] + ["- " + line for line in machine(options.build, micro)]
    lines += ["", "Event path, per unit (fastest of the repetitions):", ""]
    lines += micro_table(runs, failures)
    lines += ["", "End to end, a generated file through `quorlin-host process --speed 64`:", ""]
    lines += end_to_end_table(figures)

    note_ons = [runs[c]["plugin"][0] - runs[c]["baseline"][0]
                for c in ("noteOnAfterEnd", "noteOnPruned", "noteOnEightHeld")
                if c in runs and "plugin" in runs[c] and "baseline" in runs[c]]
    verdicts = [
        "zero heap allocations per event: %s" % ("yes" if not any(
            "allocations" in failure for failure in failures) else "NO"),
        "plug-in's own time per note-on under %d ns: %s (at most %.1f ns)" % (
            NOTE_ON_GOAL_NS, "yes" if note_ons and max(note_ons) < NOTE_ON_GOAL_NS else "NO",
            max(note_ons) if note_ons else float("nan")),
        "end to end at least %dx the reference: %s (%.0fx)" % (
            END_TO_END_GOAL, "yes" if figures["speedup"] >= END_TO_END_GOAL else "NO",
            figures["speedup"]),
    ]
    lines += ["", "Goals:", ""] + ["- " + verdict for verdict in verdicts]
    print("\n".join(lines))
    if failures:
        print("\nFAILED:\n" + "\n".join("- " + failure for failure in failures), file=sys.stderr)
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main())
