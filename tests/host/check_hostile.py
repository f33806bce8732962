#!/usr/bin/python3
"""Files made to cost a MIDI program more than their size warrants: each must cost time in
proportion to its size (a file of half the size, timed in the same run, bounds it, however busy
the machine) and stay within a memory limit (the host is stopped past it, and the case fails),
and what it writes must still be right: well-formed SVG whatever the names hold, log rows
neither cut nor merged, oversized input refused after its header."""

import argparse
import os
import resource
import subprocess
import sys
import tempfile
import time
import xml.etree.ElementTree as ElementTree

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import hostcheck  # noqa: E402
import hostile_files  # noqa: E402

# Far above what these files need (under 100 MB natively), far below what a drawing or reading
# that grows with the square of the file would take.
MEBIBYTES = 1024
# Doubling a file may at most triple its time: work that grows with the square of the file
# quadruples it. The time is the processor time the host took, which another program on the
# machine barely changes (its wall time can double), and the fastest of two runs of each size
# is compared.
GROWTH = 3.2
# A run is stopped past this many times the wall time of the smaller file, so nothing hangs.
RUNAWAY = 20.0


def peak_mebibytes(pid):
    """The most memory the process has held so far."""
    try:
        with open("/proc/%d/status" % pid) as status:
            for line in status:
                if line.startswith("VmHWM:"):
                    return int(line.split()[1]) // 1024
    except OSError:
        pass
    return 0


def children_seconds():
    """The processor time, user and system, of every child that has ended so far."""
    usage = resource.getrusage(resource.RUSAGE_CHILDREN)
    return usage.ru_utime + usage.ru_stime


def bounded(host, name, arguments, seconds=None):
    """Runs the host, stopping it past the memory limit or `seconds`; fails the case if it had
    to. The result holds the wall time and the processor time the host took."""
    started = time.monotonic()
    used_before = children_seconds()
    peak = 0
    # Output goes to files, as hostcheck.captured explains.
    with tempfile.TemporaryFile() as out, tempfile.TemporaryFile() as errors:
        process = subprocess.Popen(host.command + arguments, stdout=out, stderr=errors)
        while process.poll() is None:
            peak = max(peak, peak_mebibytes(process.pid))
            elapsed = time.monotonic() - started
            if peak > MEBIBYTES or (seconds is not None and elapsed > seconds):
                process.kill()
                process.wait()
                hostcheck.fail("%s: stopped after %.1f s at %d MiB (limits %s s, %d MiB)" % (
                    name, elapsed, peak, "%.1f" % seconds if seconds else "no", MEBIBYTES))
            time.sleep(0.02)
        elapsed = time.monotonic() - started
        processor = children_seconds() - used_before
        out.seek(0)
        errors.seek(0)
        result = subprocess.CompletedProcess(arguments, process.returncode,
                                             out.read().decode("utf-8", "replace"),
                                             errors.read().decode("utf-8", "replace"))
    print("ok: %-32s %.2f s (processor %.2f s), peak %d MiB" % (name, elapsed, processor, peak))
    result.seconds = elapsed
    result.processor = processor
    return result


def grows_linearly(host, name, make, write, arguments):
    """Times `arguments` on the file `make(1)` and `make(2)` write (`write(data)` puts it in
    place), the least processor time of two runs each; fails when the larger costs more than
    GROWTH times the smaller. Answers the run on the larger file, which is left in place."""
    fastest = {}
    limit = None
    for scale in (1, 2, 1, 2):
        write(make(scale))
        result = bounded(host, "%s, size %d" % (name, scale), arguments, limit)
        fastest[scale] = min(fastest.get(scale, result.processor), result.processor)
        if limit is None:
            limit = RUNAWAY * result.seconds + 5.0
    ratio = fastest[2] / max(fastest[1], 0.01)
    print("ok: %-32s twice the file, %.2f times the time" % (name, ratio))
    if ratio > GROWTH:
        hostcheck.fail("%s: twice the file took %.2f times as long (%.2f s against %.2f s)" % (
            name, ratio, fastest[2], fastest[1]), result)
    return result


def peak_of_run(host, arguments):
    """The peak resident memory of one run of the host, in MiB, and its exit code."""
    process = subprocess.Popen(host.command + arguments, stdout=subprocess.DEVNULL,
                               stderr=subprocess.DEVNULL)
    _, status, usage = os.wait4(process.pid, 0)
    process.returncode = os.waitstatus_to_exitcode(status)
    return usage.ru_maxrss // 1024, process.returncode


def count_rolls(name, path, result):
    """Parses the whole SVG, which must be well-formed, and counts its track rolls."""
    rolls = 0
    try:
        for _, element in ElementTree.iterparse(path, events=("end",)):
            if element.get("class") == "roll":
                rolls += 1
                element.clear()
    except ElementTree.ParseError as error:
        hostcheck.fail("%s: the SVG is not well-formed: %s" % (name, error), result)
    return rolls


def named_track_file(name_bytes, text_bytes):
    track = (b"\x00\xff\x03" + hostile_files.vlq(len(name_bytes)) + name_bytes +
             b"\x00\xff\x01" + hostile_files.vlq(len(text_bytes)) + text_bytes +
             hostile_files.ONE_NOTE)
    return hostile_files.header(1, fmt=0) + hostile_files.chunk(b"MTrk", track)


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--slow-build", action="store_true",
                        help="the host is built with sanitizers or without optimisation")
    host, options = hostcheck.start(sys.argv[1:], parser)
    work = os.path.abspath(options.work)
    hostcheck.fresh_folder(work)

    # Up to 30,000 one-note tracks: enough for work that grows with the square of the track
    # count to show. A slow build (up to ten times slower, with sanitizers several times the
    # memory) gets a tenth, which still finds its memory faults; the growth is the optimised
    # build's to prove.
    tracks = 1500 if options.slow_build else 15000
    makers = {"tempos.mid": lambda scale: hostile_files.many_tempos(1500 * scale, 50000 * scale),
              "tracks.mid": lambda scale: hostile_files.many_tracks(tracks * scale),
              "far.mid": lambda scale: hostile_files.far_note(500 * scale)}
    rolls_of = {"tempos.mid": 3000, "tracks.mid": 2 * tracks, "far.mid": 1000}
    for name, make in makers.items():
        source = os.path.join(work, name)

        def write(data, path=source):
            with open(path, "wb") as stream:
                stream.write(data)
        svg = source + ".svg"
        result = grows_linearly(host, name + " --svg", make, write,
                                ["process", source, "-o", source + ".out.mid", "--svg", svg,
                                 "--force"])
        if result.returncode != 0:
            hostcheck.fail("%s --svg" % name, result)
        # Thousands of tracks share a channel: the warning names the first few, in one line.
        if any(len(line) > 400 for line in result.stderr.splitlines()):
            hostcheck.fail("%s: a warning line of every track's number" % name, result)
        rolls = count_rolls(name, svg, result)
        if rolls != rolls_of[name]:
            hostcheck.fail("%s: %d rolls drawn" % (name, rolls), result)
        # The 16 KB file of one far note: its grid is drawn once, not once a track.
        if name == "far.mid" and os.path.getsize(svg) > 8 << 20:
            hostcheck.fail("far.mid: a %d-byte picture" % os.path.getsize(svg), result)
        os.remove(svg)

    # The legato core's chord window and tolerance read one tempo map a file, not one a track:
    # twice the tracks and twice the tempo changes (at scale 2, 300 KB) take twice the time.
    source = os.path.join(work, "conductor.mid")
    conductor = (1000, 2500) if options.slow_build else (4000, 10000)

    def write_conductor(data):
        with open(source, "wb") as stream:
            stream.write(data)
    result = grows_linearly(host, "tempos --chord-window 20", lambda scale: hostile_files.
                            many_tempos(conductor[0] * scale, conductor[1] * scale),
                            write_conductor, ["process", source, "-o", source + ".out.mid",
                                              "--force", "--chord-window", "20"])
    if result.returncode != 0:
        hostcheck.fail("tempos --chord-window 20", result)

    # Names and texts that are not UTF-8, or hold what XML does not allow; a long text with a
    # line break inside.
    hostile_name = b"lead \xf5\xff\xfe \xef\xbf\xbe\xef\xbf\xbf \x01 <&> \xc3"
    long_text = b"x" * 600 + b"\nafter the break\r"
    source = os.path.join(work, "names.mid")
    with open(source, "wb") as stream:
        stream.write(named_track_file(hostile_name, long_text))
    svg = source + ".svg"
    result = bounded(host, "hostile names --svg --log",
                     ["process", source, "-o", source + ".out.mid", "--svg", svg, "--log"])
    if result.returncode != 0:
        hostcheck.fail("hostile names", result)
    if count_rolls("hostile names", svg, result) != 1:
        hostcheck.fail("hostile names: the roll is missing", result)
    text_rows = [line for line in result.stdout.splitlines() if "Meta Text" in line]
    # One row, holding the whole text as it went in and as it passed through.
    if len(text_rows) != 1 or text_rows[0].count("x" * 600 + "?after the break?") != 2:
        hostcheck.fail("the log row of a long text is cut or merged", result)

    # A long file of running-status notes is played without holding its events: the peak stays
    # within six times its size, in one track and in four merged into one stream.
    if not host.emulated and not options.slow_build:
        source = os.path.join(work, "long.mid")
        for tracks, extra in ((1, []), (1, ["--log"]), (4, ["--log"])):
            with open(source, "wb") as stream:
                stream.write(hostile_files.running_status(20, tracks))
            # --log prints its rows as they come, holding none. --svg refuses the file.
            peak, code = peak_of_run(host, ["process", source, "-o", source + ".out.mid",
                                            "--force"] + extra)
            name = "20 MiB in %d track(s) %s" % (tracks, "".join(extra))
            print("ok: %-32s peak %d MiB" % (name, peak))
            if code != 0 or peak > 6 * os.path.getsize(source) / (1 << 20):
                hostcheck.fail("%s: exit %d, peak %d MiB" % (name, code, peak))
        result = bounded(host, "20 MiB --svg", ["process", source, "-o", source + ".2.mid",
                                                "--svg", source + ".svg"])
        if result.returncode == 0 or "most --svg draws" not in result.stderr:
            hostcheck.fail("20 MiB of running status --svg: not refused", result)
        os.remove(source)
        os.remove(source + ".out.mid")

    # Not a MIDI file, however long: refused at its start. A header followed by more than the
    # program reads: refused once past the limit, without reading on.
    if not host.emulated:
        result = bounded(host, "/dev/zero", ["process", "/dev/zero", "-o",
                                             os.path.join(work, "zero.mid")])
        if result.returncode == 0 or len(host.error_lines(result)) != 1:
            hostcheck.fail("/dev/zero", result)
        big = os.path.join(work, "big.mid")
        with open(big, "wb") as stream:
            stream.write(hostile_files.header(1))
            stream.truncate(300 << 20)
        result = bounded(host, "300 MiB after a header",
                         ["process", big, "-o", os.path.join(work, "big-out.mid")])
        if result.returncode == 0 or "MiB" not in result.stderr:
            hostcheck.fail("300 MiB input", result)
        os.remove(big)


if __name__ == "__main__":
    main()
