#!/bin/sh
# Renders the demo phrase with FluidSynth as played and through Quorlin, into build/listen/,
# and prints where the glides are. Usage: sh tools/listen.sh [HOST_PROGRAM [OUT_DIR]]
#   LISTEN_SPEED    portamento speed for the demo (default 2: FluidSynth glides 256 ms; the
#                   demo's own 40 would take five seconds per glide)
#   LISTEN_PROGRAM  General MIDI program counted from 0 (default 73, a flute)
set -e
tools=$(dirname "$0")
. "$tools/../cmake/quorlin-python.sh"
python=$(quorlin_python)
host=${1:-build/native/quorlin-host}
out=${2:-build/listen}
speed=${LISTEN_SPEED:-2}
program=${LISTEN_PROGRAM:-73}

if ! command -v fluidsynth >/dev/null 2>&1 || [ ! -f /usr/share/sounds/sf2/TimGM6mb.sf2 ] ||
    ! "$python" -c 'import numpy' 2>/dev/null; then
    echo "listen: needs FluidSynth, its General MIDI sound font and numpy:" >&2
    echo "  apt-get install -y fluidsynth timgm6mb-soundfont python3-numpy" >&2
    exit 1
fi
if [ ! -x "$host" ]; then
    echo "listen: $host is not built (cmake --build --preset native)" >&2
    exit 1
fi

mkdir -p "$out"
"$host" demo -o "$out/demo-quorlin.mid" --speed "$speed" --svg "$out/demo-quorlin.svg" --force \
    >/dev/null
"$python" "$tools/listen.py" --out "$out" --speed "$speed" --program "$program" \
    "$out/demo-quorlin.mid"
echo
echo "Also written: $out/demo-quorlin.mid, $out/demo-plain.mid and the piano roll $out/demo-quorlin.svg"
