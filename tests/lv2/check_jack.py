"""Quorlin in the LV2 reference host on a real JACK server.

Starts a private JACK server with the dummy driver, jalv with the plug-in (its standard input
kept open for commands), plays a two-channel phrase from a JACK client of its own and records
the plug-in's output with a second client. Checks that every input event comes out at the frame
it went in, that every note-on follows controller 65 with its channel's legato value at its
frame, and that controller 5 goes out on each channel before its first note and once after the
speed changes. Prints what it saw and stops every process it started, also on failure.

Without jackd, jalv or the jack module it fails and names what is missing.
"""

import argparse
import os
import shutil
import signal
import subprocess
import sys
import tempfile
import threading
import time

URI = "https://www.tessivar.com/plugins/quorlin"
RATE = 48000
PERIOD = 256
FIRST_SPEED = 40
SECOND_SPEED = 20
PORTAMENTO_TIME = 5
PORTAMENTO = 65
STOP_SECONDS = 5
# The test's own server name. A fixed one, so that what a killed run left behind is this name's
# alone and is cleared by the next run: the server registry has room for eight names, and the
# dead ones of other names are never reclaimed.
SERVER = "quorlin-test"
JACK_DIR = "/dev/shm"
# The whole run, after which the script gives up and stops what it started (ctest's own limit
# is longer, so the cleanup always gets its turn).
DEADLINE_SECONDS = 60

# The phrase: (frame from the start of its part, MIDI bytes). Channel 1's keys overlap channel
# 2's in time; each channel's legato is its own.
FIRST_PART = [
    (0, (0x90, 60, 100)),      # ch 1: alone
    (600, (0x91, 48, 90)),     # ch 2: alone on its channel, though ch 1 holds 60
    (1000, (0x90, 64, 100)),   # ch 1: legato over 60
    (1300, (0xB1, 7, 100)),    # ch 2: volume, passed through
    (1500, (0x80, 60, 64)),
    (2000, (0x91, 50, 90)),    # ch 2: legato over 48
    (2300, (0xE0, 0, 80)),     # ch 1: pitch bend
    (2500, (0x91, 48, 0)),     # ch 2: velocity 0 lets 48 go
    (3000, (0x80, 64, 64)),
    (3500, (0xC1, 12)),        # ch 2: program change
    (4000, (0x81, 50, 64)),
    (5000, (0x90, 67, 100)),   # ch 1: alone again
    (5100, (0xF8,)),           # clock, not a channel message
    (6000, (0x80, 67, 64)),
]
SECOND_PART = [
    (0, (0x90, 72, 100)),
    (300, (0x91, 55, 100)),
    (700, (0x90, 74, 100)),    # ch 1: legato over 72
    (1200, (0x80, 72, 64)),
    (1300, (0x80, 74, 64)),
    (1400, (0x81, 55, 64)),
]


class Player:
    """A JACK client that sends a list of events at absolute frames."""

    def __init__(self, jack, server):
        self.client = jack.Client("quorlin-test-player", servername=server, no_start_server=True)
        self.port = self.client.midi_outports.register("out")
        self.lock = threading.Lock()
        self.pending = []  # (absolute frame, bytes), ascending
        self.sent = []
        self.client.set_process_callback(self.process)

    def schedule(self, part):
        """Plays a part from a few periods ahead; answers its absolute start frame."""
        with self.lock:
            start = self.client.frame_time + 4 * PERIOD
            self.pending.extend((start + offset, bytes(data)) for offset, data in part)
        return start

    def process(self, frames):
        self.port.clear_buffer()
        cycle = self.client.last_frame_time
        with self.lock:
            while self.pending and self.pending[0][0] < cycle + frames:
                frame, data = self.pending.pop(0)
                offset = max(0, frame - cycle)
                self.port.write_midi_event(offset, data)
                self.sent.append((cycle + offset, data))

    def done(self):
        with self.lock:
            return not self.pending


class Recorder:
    """A JACK client that keeps every event it receives with its absolute frame."""

    def __init__(self, jack, server):
        self.client = jack.Client("quorlin-test-recorder", servername=server,
                                  no_start_server=True)
        self.port = self.client.midi_inports.register("in")
        self.lock = threading.Lock()
        self.events = []
        self.client.set_process_callback(self.process)

    def process(self, frames):
        cycle = self.client.last_frame_time
        for offset, data in self.port.incoming_midi_events():
            with self.lock:
                self.events.append((cycle + offset, bytes(data)))

    def recorded(self):
        with self.lock:
            return list(self.events)


def start_group(command, env, **options):
    return subprocess.Popen(command, env=env, start_new_session=True, **options)


def stop_group(process, name):
    """SIGTERM to the process group, SIGKILL after STOP_SECONDS; never waits longer."""
    if process is None or process.poll() is not None:
        return
    for sig in (signal.SIGTERM, signal.SIGKILL):
        try:
            os.killpg(process.pid, sig)
        except ProcessLookupError:
            return
        try:
            process.wait(timeout=STOP_SECONDS)
            return
        except subprocess.TimeoutExpired:
            print(f"{name} did not stop on {sig.name}")


def wait_for(condition, seconds, what):
    deadline = time.monotonic() + seconds
    while time.monotonic() < deadline:
        if condition():
            return
        time.sleep(0.05)
    raise TimeoutError(f"timed out after {seconds} s waiting for {what}")


def clear_stale_server(jack, server):
    """Removes the socket and semaphores of a killed server of this name; a live one is an
    error, since two runs must not share a server."""
    uid = os.getuid()
    leftovers = [name for name in os.listdir(JACK_DIR)
                 if name.startswith(f"jack_{server}_{uid}_")
                 or name.startswith(f"jack_sem.{uid}_{server}_")]
    if not leftovers:
        return
    try:
        jack.Client("quorlin-test-stale", servername=server, no_start_server=True).close()
    except jack.JackError:
        for name in leftovers:
            os.unlink(os.path.join(JACK_DIR, name))
        print(f"cleared what a killed JACK server '{server}' left: {', '.join(leftovers)}")
        return
    raise RuntimeError(f"a JACK server named '{server}' is running already")


def connect_client(jack, server, seconds):
    time.sleep(0.5)  # each refused attempt prints libjack's complaints
    deadline = time.monotonic() + seconds
    while True:
        try:
            return jack.Client("quorlin-test-probe", servername=server, no_start_server=True)
        except jack.JackError:
            if time.monotonic() > deadline:
                raise TimeoutError(f"JACK server {server} did not come up in {seconds} s")
            time.sleep(0.1)


def describe(data):
    kind, channel = data[0] & 0xF0, (data[0] & 0x0F) + 1
    if data[0] >= 0xF0:
        return "system"
    if kind == 0xB0 and data[1] == PORTAMENTO:
        return f"ch {channel} portamento {'on' if data[2] == 127 else 'off'}"
    if kind == 0xB0 and data[1] == PORTAMENTO_TIME:
        return f"ch {channel} portamento time {data[2]}"
    names = {0x80: "note-off", 0x90: "note-on" if len(data) > 2 and data[2] else "note-off (vel 0)",
             0xA0: "key pressure", 0xB0: "controller", 0xC0: "program", 0xD0: "pressure",
             0xE0: "pitch bend"}
    return f"ch {channel} {names[kind]}"


def check(sent, received, change_window):
    """Answers the list of failures and the table rows (frame, bytes, meaning, verdict)."""
    failures = []
    rows = []
    inputs = list(sent)
    held = {}               # channel -> set of held keys, from the input
    speed_seen = {}         # channel -> list of (frame, value)
    first_note_checked = set()
    for position, (frame, data) in enumerate(received):
        verdict = ""
        if inputs and inputs[0] == (frame, data):
            inputs.pop(0)
            verdict = "input, same frame"
            kind, channel = data[0] & 0xF0, data[0] & 0x0F
            if kind == 0x90 and data[2] > 0:
                keys = held.setdefault(channel, set())
                keys.add(data[1])
                expected = 127 if len(keys) >= 2 else 0
                before = received[position - 1] if position > 0 else None
                if before != (frame, bytes((0xB0 | channel, PORTAMENTO, expected))):
                    failures.append(f"note-on {data.hex()} at {frame} is not preceded by "
                                    f"controller 65 = {expected} on its channel")
                else:
                    verdict += f", after cc65={expected}"
                if channel not in first_note_checked:
                    first_note_checked.add(channel)
                    times = speed_seen.get(channel, [])
                    if not times or times[-1][1] != FIRST_SPEED:
                        failures.append(f"channel {channel + 1}: no controller 5 = {FIRST_SPEED} "
                                        "before its first note")
            elif kind == 0x80 or (kind == 0x90 and data[2] == 0):
                held.setdefault(channel, set()).discard(data[1])
        elif data[0] & 0xF0 == 0xB0 and data[1] == PORTAMENTO:
            verdict = "sent by the plug-in"
        elif data[0] & 0xF0 == 0xB0 and data[1] == PORTAMENTO_TIME:
            speed_seen.setdefault(data[0] & 0x0F, []).append((frame, data[2]))
            verdict = "sent by the plug-in"
        else:
            verdict = "UNEXPECTED"
            failures.append(f"unexpected output {data.hex()} at frame {frame}")
        rows.append((frame, data, describe(data), verdict))
    for frame, data in inputs:
        failures.append(f"input {data.hex()} at frame {frame} did not come out at that frame")
    for channel in (0, 1):
        values = speed_seen.get(channel, [])
        expected = [FIRST_SPEED, SECOND_SPEED]
        if [value for _, value in values] != expected:
            failures.append(f"channel {channel + 1}: controller 5 values {values}, "
                            f"expected {expected}")
        elif not change_window[0] < values[1][0] <= change_window[1]:
            failures.append(f"channel {channel + 1}: controller 5 = {SECOND_SPEED} at frame "
                            f"{values[1][0]}, not between the parts {change_window}")
    return failures, rows


def run(args, jack):
    server = SERVER
    clear_stale_server(jack, server)
    env = dict(os.environ, JACK_DEFAULT_SERVER=server, JACK_NO_AUDIO_RESERVATION="1",
               LV2_PATH=args.lv2_path)
    jackd = jalv = None
    clients = []
    jalv_log = tempfile.TemporaryFile()
    try:
        # Synchronous mode: each cycle waits for the whole graph, so a client that is late on
        # a busy machine delays the cycle instead of moving events to the next one.
        jackd = start_group([args.jackd, "-S", "-t", "5000", "-r", "-n", server, "-d", "dummy",
                             "-r", str(RATE), "-p", str(PERIOD)], env,
                            stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        probe = connect_client(jack, server, 10)
        clients.append(probe)
        jalv = start_group([args.jalv, "-n", "quorlin-test-jalv", "-x", "-c",
                            f"speed={FIRST_SPEED}", URI], env, stdin=subprocess.PIPE,
                           stdout=jalv_log, stderr=subprocess.STDOUT)
        wait_for(lambda: probe.get_ports("quorlin-test-jalv:midi_out") or jalv.poll() is not None,
                 10, "jalv's ports")
        if jalv.poll() is not None:
            jalv_log.seek(0)
            raise RuntimeError(f"jalv exited with {jalv.returncode}: "
                               f"{jalv_log.read().decode(errors='replace')}")
        player = Player(jack, server)
        recorder = Recorder(jack, server)
        clients += [player.client, recorder.client]
        player.client.activate()
        recorder.client.activate()
        probe.connect("quorlin-test-player:out", "quorlin-test-jalv:midi_in")
        probe.connect("quorlin-test-jalv:midi_out", "quorlin-test-recorder:in")
        time.sleep(0.3)

        first_start = player.schedule(FIRST_PART)
        wait_for(player.done, 10, "the first part to be played")
        time.sleep(0.2)
        first_end = first_start + FIRST_PART[-1][0]
        jalv.stdin.write(f"set speed {SECOND_SPEED}\n".encode())
        jalv.stdin.flush()
        time.sleep(0.5)
        second_start = player.schedule(SECOND_PART)
        wait_for(player.done, 10, "the second part to be played")
        time.sleep(0.3)

        sent = list(player.sent)
        received = recorder.recorded()
        failures, rows = check(sent, received, (first_end, second_start))
        print(f"JACK server '{server}' (dummy driver, {RATE} Hz, {PERIOD} frames), jalv with "
              f"speed={FIRST_SPEED}; 'set speed {SECOND_SPEED}' between frames "
              f"{first_end - first_start} and {second_start - first_start} of the phrase")
        print(f"{len(sent)} events played, {len(received)} recorded\n")
        print("| Frame | Out bytes | Event | Check |")
        print("|---:|---|---|---|")
        for frame, data, meaning, verdict in rows:
            print(f"| {frame - first_start} | {data.hex(' ')} | {meaning} | {verdict} |")
        print()
        for failure in failures:
            print("FAIL:", failure)
        if not failures:
            print("PASS: every event at its frame, controllers 65 and 5 where they belong")
        return 1 if failures else 0
    finally:
        for client in clients:
            try:
                client.deactivate()
                client.close()
            except Exception as error:  # the server may be gone already
                print(f"closing a JACK client: {error}")
        if jalv is not None and jalv.stdin:
            try:
                jalv.stdin.close()
            except OSError:
                pass
        stop_group(jalv, "jalv")
        stop_group(jackd, "jackd")
        jalv_log.close()


def give_up(signum, _frame):
    raise TimeoutError(f"stopped by signal {signum} (deadline {DEADLINE_SECONDS} s or "
                       "termination)")


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--lv2-path", required=True)
    args = parser.parse_args()
    args.jackd = shutil.which("jackd")
    args.jalv = shutil.which("jalv")
    missing = [name for name, path in (("jackd (install jackd2)", args.jackd),
                                       ("jalv (install jalv)", args.jalv)) if path is None]
    try:
        import jack
    except ImportError:
        missing.append("the jack module for %s (install python3-jack-client)" % sys.executable)
    if missing:
        print("missing: " + ", ".join(missing))
        return 1
    # A deadline or a termination raises inside the run, so its cleanup stops every process.
    signal.signal(signal.SIGALRM, give_up)
    signal.signal(signal.SIGTERM, give_up)
    signal.alarm(DEADLINE_SECONDS)
    return run(args, jack)


if __name__ == "__main__":
    sys.exit(main())
