#!/usr/bin/python3
"""No file is lost: quorlin-host refuses outputs that are its input or each other however they
are spelled, replaces existing files only with --force, writes nothing when any output cannot be
written, reads standard input and writes standard output, and goes on past a bad file of a
batch. (A failure while the outputs are moved into place is staged in the FileAccess suite.)"""

import os
import shutil
import signal
import socket
import stat
import subprocess
import sys
import threading
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import hostcheck  # noqa: E402

TRACK = bytes([0x00, 0x90, 0x3C, 0x64, 0x30, 0x90, 0x3E, 0x64, 0x30, 0x80, 0x3C, 0x40,
               0x30, 0x80, 0x3E, 0x40, 0x00, 0xFF, 0x2F, 0x00])
SONG = (b"MThd" + (6).to_bytes(4, "big") + bytes([0, 0, 0, 1, 0, 96]) +
        b"MTrk" + len(TRACK).to_bytes(4, "big") + TRACK)


def read(path):
    with open(path, "rb") as stream:
        return stream.read()


def write(path, data):
    with open(path, "wb") as stream:
        stream.write(data)


def refused(host, name, arguments, untouched, absent=()):
    """The run fails with one error line; `untouched` files keep their bytes, `absent` ones
    are not created, and no temporary file is left anywhere in the folders involved."""
    before = {path: read(path) for path in untouched}
    folders = {os.path.dirname(path) for path in list(untouched) + list(absent)}
    listing = {folder: sorted(os.listdir(folder)) for folder in folders}
    result = host.run(*arguments)
    errors = host.error_lines(result)
    if result.returncode == 0 or len(errors) != 1:
        hostcheck.fail("%s: expected a failure with one error line" % name, result)
    for path, data in before.items():
        if read(path) != data:
            hostcheck.fail("%s: %s was changed" % (name, path), result)
    for path in absent:
        if os.path.exists(path):
            hostcheck.fail("%s: %s was written" % (name, path), result)
    for folder, names in listing.items():
        if sorted(os.listdir(folder)) != names:
            hostcheck.fail("%s: left %s in %s" % (name, sorted(os.listdir(folder)), folder),
                           result)
    print("ok: %-34s %s" % (name, errors[0]))


def check_special_targets(host, work):
    """A FIFO and a device node are written in place and stay what they were; a socket is
    refused. None is ever renamed over."""
    special = os.path.join(work, "special")
    hostcheck.fresh_folder(special)
    song = os.path.join(work, "song.mid")
    fifo = os.path.join(special, "fifo")
    os.mkfifo(fifo)
    received = []
    reader = threading.Thread(target=lambda: received.append(read(fifo)), daemon=True)
    reader.start()
    result = host.run("process", song, "-o", fifo, "--force")
    reader.join(10)
    if result.returncode != 0 or not stat.S_ISFIFO(os.stat(fifo).st_mode) or \
            not received or received[0][:4] != b"MThd":
        hostcheck.fail("-o FIFO: still a FIFO and the file streamed through it", result)
    node = os.path.join(special, "null")
    try:
        os.mknod(node, stat.S_IFCHR | 0o666, os.makedev(1, 3))
    except PermissionError:
        node = None
    if node:
        result = host.run("process", song, "-o", node, "--force")
        if result.returncode != 0 or not stat.S_ISCHR(os.stat(node).st_mode):
            hostcheck.fail("-o a character device: still the device", result)
    server = socket.socket(socket.AF_UNIX)
    server.bind(os.path.join(special, "socket"))
    refused(host, "-o a socket", ["process", song, "-o", os.path.join(special, "socket"),
                                  "--force"], [song])
    server.close()
    print("ok: a FIFO%s written in place, a socket refused" % (" and a device" if node else ""))


def stopped(host, name, arguments, until=lambda: True, reader=None):
    """Starts the host, waits until `until()` holds, and answers the process and its output
    once it ends by itself (a hang fails), with `reader` if any."""
    process = subprocess.Popen(host.command + arguments, stdout=subprocess.PIPE)
    deadline = time.monotonic() + 60
    while not until() and process.poll() is None and time.monotonic() < deadline:
        time.sleep(0.01)
    yield process
    try:
        out = process.communicate(timeout=30)[0].decode(errors="replace")
        reader and reader.wait(30)
    except subprocess.TimeoutExpired:
        process.kill(), reader and reader.kill()
        hostcheck.fail("%s: hangs" % name)
    yield subprocess.CompletedProcess(arguments, process.returncode, out, "")


def check_output_faults(host, work, song):
    """A FIFO's reader ends when the run fails, a batch or skin never writes through an entry
    that is not a plain file, a replaced file keeps its mode, a name as long as a name may be is
    written, and a run stopped by INT, TERM or HUP leaves no temporary file behind."""
    faults = os.path.join(work, "faults")
    batch, skin = os.path.join(faults, "batch"), os.path.join(faults, "skin")
    hostcheck.fresh_folder(batch)
    os.makedirs(skin)
    fifo, svg, bad = (os.path.join(faults, name) for name in ("in.mid", "roll.svg", "bad.mid"))
    for path in (fifo, svg, os.path.join(batch, "song.mid"), os.path.join(skin, "preview.html")):
        os.mkfifo(path)
    os.symlink(os.devnull, os.path.join(batch, "bad.mid"))
    write(bad, SONG[:-5])
    reader = subprocess.Popen(["cat", fifo], stdout=subprocess.DEVNULL)

    def waiting():
        # Asleep in the FIFO's open, not merely asleep (as it may be while it starts): a host
        # that fails before the reader opens has no reader to end.
        return open("/proc/%d/wchan" % reader.pid).read() in ("wait_for_partner", "fifo_open")
    deadline = time.monotonic() + 60  # the reader first: the host may fail before it opens
    while not waiting() and time.monotonic() < deadline:
        time.sleep(0.01)
    result = list(stopped(host, "failing into a FIFO", ["process", bad, "-o", fifo],
                          reader=reader))[1]
    if result.returncode == 0 or reader.returncode != 0:
        hostcheck.fail("a failing run into a FIFO: its reader ends", result)
    write(bad, SONG)
    for arguments in (["process", song, "--out-dir", batch],
                      ["process", bad, "--out-dir", batch], ["skin", "--out", skin]):
        for extra in ([], ["--force"]):
            result = list(stopped(host, " ".join(arguments + extra), arguments + extra))[1]
            if result.returncode == 0 or "Wrote" in result.stdout:
                hostcheck.fail("%s: written through a FIFO or a link" % arguments, result)

    private = os.path.join(faults, "n" * 250 + ".mid")
    write(private, b"mine")
    os.chmod(private, 0o600)
    result = host.run("process", song, "-o", private, "--force")
    if result.returncode != 0 or stat.S_IMODE(os.stat(private).st_mode) != 0o600:
        hostcheck.fail("--force over a private file with a long name: still private", result)

    def partial():
        return any(name.endswith(".partial") for name in os.listdir(faults))
    for number in (signal.SIGINT, signal.SIGTERM, signal.SIGHUP):
        runs = stopped(host, "a stopped run", ["process", song, "-o", os.path.join(
            faults, "x.mid"), "--svg", svg], partial)
        next(runs).send_signal(number)
        if next(runs).returncode != -number or partial():
            hostcheck.fail("signal %d: left %s" % (number, os.listdir(faults)))
    print("ok: FIFO reader ends on failure, no batch through a FIFO or link, mode kept, long "
          "name written, no temporary left after INT, TERM, HUP")


def check_folders_and_batches(host, work, song):
    """skin and --out-dir make only the folder named, skin replaces only with --force, and a
    batch names each refused file once, with what it collides with."""
    skin = os.path.join(work, "skin")
    shutil.rmtree(skin, ignore_errors=True)
    refused(host, "skin into a missing parent", ["skin", "--out", os.path.join(skin, "a", "b")],
            [song], absent=[skin])
    if host.run("skin", "--out", skin).returncode != 0:
        hostcheck.fail("skin --out a new folder")
    write(os.path.join(skin, "preview.html"), b"mine")
    refused(host, "skin over files", ["skin", "--out", skin], [os.path.join(skin, "preview.html")])
    if host.run("skin", "--out", skin, "--force").returncode != 0:
        hostcheck.fail("skin --force")

    batch = os.path.join(work, "new-batch")
    shutil.rmtree(batch, ignore_errors=True)
    result = host.run("process", song, "--out-dir", batch, "--svg", batch)
    if result.returncode != 0 or sorted(os.listdir(batch)) != ["song.mid", "song.svg"]:
        hostcheck.fail("--out-dir a new folder with a roll beside the file", result)

    love = os.path.join(work, "love.mid")
    write(love, SONG)
    result = host.run("process", love, song, "--out-dir", work, "--force")
    errors = host.error_lines(result)
    if result.returncode == 0 or len(errors) != 3 or "love.mid" not in errors[0] or \
            errors[0].count("love.mid") != 2 or "song.mid" not in errors[1]:
        hostcheck.fail("a batch onto its inputs: each named once", result)
    other = os.path.join(work, "sub", "song.mid")
    write(other, SONG)
    result = host.run("process", song, other, "--out-dir", batch, "--force")
    errors = host.error_lines(result)
    if result.returncode == 0 or len(errors) != 2 or song not in errors[0] or \
            other not in errors[0]:
        hostcheck.fail("two inputs onto one output: both inputs named", result)
    piped = host.run_bytes(["process", "-", "-o", "-"], SONG)
    if b"Wrote standard output" not in piped.stderr:
        hostcheck.fail("-o - names standard output")
    print("ok: folders made, skin replaces only with --force, batch messages: %s" % errors[0])


def main():
    host, options = hostcheck.start(sys.argv[1:])
    work = os.path.abspath(options.work)
    shutil.rmtree(work, ignore_errors=True)
    sub = os.path.join(work, "sub")
    os.makedirs(sub)
    song = os.path.join(work, "song.mid")
    write(song, SONG)

    # The input under other names, with and without --force.
    for name, spelled in (("input as ./", os.path.join(work, ".", "song.mid")),
                          ("input via sub/..", os.path.join(sub, "..", "song.mid"))):
        for extra in ([], ["--force"]):
            refused(host, "%s %s" % (name, " ".join(extra)),
                    ["process", song, "-o", spelled] + extra, [song])
    if hasattr(os, "symlink") and not host.emulated:
        link = os.path.join(sub, "link.mid")
        os.symlink(song, link)
        refused(host, "input through a link", ["process", song, "-o", link, "--force"], [song])
        os.remove(link)

    out = os.path.join(work, "out.mid")
    refused(host, "MIDI output as the SVG path",
            ["process", song, "-o", out, "--svg", os.path.join(sub, "..", "out.mid")], [song],
            absent=[out])

    # An SVG that cannot be written: neither file appears, an existing MIDI output stays.
    missing_dir_svg = os.path.join(work, "no-such-dir", "roll.svg")
    refused(host, "unwritable second output",
            ["process", song, "-o", out, "--svg", missing_dir_svg], [song], absent=[out])
    write(out, b"keep me")
    refused(host, "existing output without --force", ["process", song, "-o", out], [song, out])
    refused(host, "unwritable second output, forced",
            ["process", song, "-o", out, "--svg", missing_dir_svg, "--force"], [song, out])
    result = host.run("process", song, "-o", out, "--force")
    if result.returncode != 0 or read(out)[:4] != b"MThd":
        hostcheck.fail("--force replaces an existing output", result)
    from_file = read(out)
    print("ok: --force replaces an existing output")

    # Standard input and output: the same bytes as from and to files, messages elsewhere.
    piped = host.run_bytes(["process", "-", "-o", "-"], SONG)
    if piped.returncode != 0 or piped.stdout != from_file:
        hostcheck.fail("process - -o - wrote %d bytes, the file run %d" % (
            len(piped.stdout), len(from_file)))
    if b"Wrote" not in piped.stderr:
        hostcheck.fail("process - -o - reported nothing on standard error")
    print("ok: standard input to standard output, %d bytes" % len(piped.stdout))

    # A batch with a bad file in the middle: reported, the others still written.
    batch = os.path.join(work, "batch")
    os.makedirs(batch)
    bad = os.path.join(sub, "bad.mid")
    write(bad, SONG[:-5])
    second = os.path.join(sub, "second.mid")
    write(second, SONG)
    result = host.run("process", song, bad, second, "--out-dir", batch)
    errors = host.error_lines(result)
    if result.returncode == 0 or sorted(os.listdir(batch)) != ["second.mid", "song.mid"] or \
            len(errors) != 2 or "bad.mid" not in errors[0]:
        hostcheck.fail("batch with one bad file", result)
    print("ok: batch with one bad file: %s" % errors[0])

    if not host.emulated:
        check_special_targets(host, work)
        check_output_faults(host, work, song)
    check_folders_and_batches(host, work, song)

    if not host.emulated:
        # A Windows library given to the native program: say what it is and what runs it.
        dll = os.path.join(work, "quorlin.dll")
        write(dll, b"MZ" + bytes(200))
        result = host.run("--plugin", dll, "info")
        if result.returncode == 0 or "Windows library" not in result.stderr \
                or "Wine" not in result.stderr:
            hostcheck.fail("--plugin with a Windows library", result)
        print("ok: a Windows library is named as such")

    for arguments, expected in ((["--version"], "quorlin-host "),
                                (["help", "process"], "--channels LIST"),
                                (["process", "--help"], "--out-dir DIR")):
        result = host.run(*arguments)
        if result.returncode != 0 or expected not in result.stdout or \
                (arguments != ["--version"] and "skin --out" in result.stdout):
            hostcheck.fail(" ".join(arguments), result)
    print("ok: --version and the help of one command")


if __name__ == "__main__":
    main()
