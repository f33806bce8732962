"""Shared pieces of the scripts that drive quorlin-host as a user would.

Every script takes its own options, then `--`, then the command that starts the host: the
program alone natively, or a runner (such as the Wine launcher) followed by the program.
"""

import argparse
import os
import shutil
import subprocess
import sys
import tempfile

SKIPPED = 77


def split_command_line(argv):
    """Splits ['--opt', 'v', '--', 'runner', 'host'] into (['--opt', 'v'], ['runner', 'host'])."""
    if "--" not in argv:
        sys.exit("usage: %s [OPTIONS] -- HOST_COMMAND..." % os.path.basename(sys.argv[0]))
    cut = argv.index("--")
    return argv[:cut], argv[cut + 1:]


class Host:
    def __init__(self, command):
        self.command = list(command)
        # A runner in front of the program means the program is not native to this machine.
        self.emulated = len(self.command) > 1

    def run(self, *arguments, cwd=None):
        result = captured(self.command + [str(a) for a in arguments], cwd=cwd)
        if result.returncode == SKIPPED:
            # The runner could not start the program on this machine.
            print(result.stdout.decode(errors="replace") + result.stderr.decode(errors="replace"))
            sys.exit(SKIPPED)
        result.stdout, result.stderr = as_text(result.stdout), as_text(result.stderr)
        return result

    def run_bytes(self, arguments, data):
        """Runs with `data` on standard input; stdout and stderr come back as bytes."""
        result = captured(self.command + [str(a) for a in arguments], data=data)
        if result.returncode == SKIPPED:
            sys.exit(SKIPPED)
        return result

    def probe(self):
        """Exits with the skip code when the runner cannot start programs here."""
        result = self.run("--help")
        if result.returncode != 0 or "Usage:" not in result.stdout:
            fail("quorlin-host --help did not print its usage", result)

    def error_lines(self, result):
        """The error lines the host itself wrote to standard error; its warnings are not."""
        lines = [line for line in result.stderr.splitlines()
                 if line.strip() and not line.startswith("quorlin-host: warning:")]
        if self.emulated:
            # The emulator may add lines of its own; only the host's count.
            lines = [line for line in lines if line.startswith("quorlin-host:")]
        return lines


def captured(command, data=None, cwd=None):
    """Runs `command` to its end, `data` on its standard input; its output and errors come back
    as bytes. They go through files, not pipes: a pipe is read until every holder closes it, and
    under Wine the helper processes the first program starts hold it for seconds after the program
    ended."""
    with tempfile.TemporaryFile() as out, tempfile.TemporaryFile() as errors:
        result = subprocess.run(command, input=data, stdout=out, stderr=errors, cwd=cwd,
                                timeout=300)
        out.seek(0)
        errors.seek(0)
        result.stdout, result.stderr = out.read(), errors.read()
    return result


def as_text(data):
    """Output as text, line ends as Python's text mode reads them."""
    return data.decode("utf-8", "replace").replace("\r\n", "\n").replace("\r", "\n")


def start(argv, parser=None):
    """The common start of a check script: its own --work folder (and what `parser` adds), then
    the host command line. Returns the probed host and the parsed options."""
    own, command = split_command_line(argv)
    parser = parser or argparse.ArgumentParser()
    parser.add_argument("--work", required=True)
    options = parser.parse_args(own)
    host = Host(command)
    host.probe()
    return host, options


def fresh_folder(path):
    """Creates `path` empty, removing what an earlier run left there."""
    shutil.rmtree(path, ignore_errors=True)
    os.makedirs(path)


def fail(message, result=None):
    print("FAIL: " + message)
    if result is not None:
        print("  exit code: %s" % result.returncode)
        print("  stdout: " + result.stdout[-2000:])
        print("  stderr: " + result.stderr[-2000:])
    sys.exit(1)


def import_mido():
    try:
        import mido  # noqa: F401
    except ImportError:
        print("missing: the mido package for %s (install python3-mido)" % sys.executable)
        sys.exit(1)
    return mido
