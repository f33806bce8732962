#!/bin/sh
# Measures how a synthesizer hears a real two-staff score after quorlin-host: the "Reunion"
# demo of Debian's musescore3, whose two piano staves play channel 1. Exports the score to MIDI
# (once, into OUT_DIR), runs `quorlin-host process` on it with the options given, then
# tools/channel_view.py on the result: the notes heard with another track's controller 65, and
# with FluidSynth the notes whose start pitch is off their key.
#
# Usage: sh tools/reunion.sh HOST_PROGRAM OUT_DIR [PROCESS_OPTIONS...]
#   e.g. sh tools/reunion.sh build/native/quorlin-host /tmp/reunion --cc65 change --speed 2
#   REUNION_SCORE   the score (default the demo musescore3 installs)
#   REUNION_LISTEN  0 to leave out the rendering (it takes about a minute)
set -e
if [ $# -lt 2 ]; then
    echo "usage: sh tools/reunion.sh HOST_PROGRAM OUT_DIR [PROCESS_OPTIONS...]" >&2
    exit 2
fi
tools=$(dirname "$0")
. "$tools/../cmake/quorlin-python.sh"
python=$(quorlin_python)
host=$1
out=$2
shift 2

score=${REUNION_SCORE:-}
if [ -z "$score" ]; then
    for candidate in /usr/share/mscore3-*/demos/Reunion.mscz; do
        score=$candidate
    done
fi
if [ ! -f "$score" ] || ! command -v mscore3 >/dev/null 2>&1; then
    echo "reunion: needs musescore3 and its Reunion demo: apt-get install -y musescore3" >&2
    exit 1
fi
if [ ! -x "$host" ]; then
    echo "reunion: $host is not built (cmake --build build/native --target quorlin-host)" >&2
    exit 1
fi

mkdir -p "$out"
source_midi=$out/reunion.mid
if [ ! -f "$source_midi" ]; then
    QT_QPA_PLATFORM=offscreen mscore3 -o "$source_midi" "$score" >"$out/mscore3.log" 2>&1 || {
        echo "reunion: mscore3 could not export $score (see $out/mscore3.log)" >&2
        exit 1
    }
fi

# One output per set of options: out-default.mid, out-cc65-change-speed-2.mid, ...
name=$(printf '%s' "$*" | tr -cs 'A-Za-z0-9.' '-' | sed 's/^-*//; s/-*$//')
processed=$out/out-${name:-default}.mid
echo "score: $score"
echo "host: $host process $source_midi -o $processed $*"
"$host" process "$source_midi" -o "$processed" --force "$@"
if [ "${REUNION_LISTEN:-1}" = 0 ]; then
    "$python" "$tools/channel_view.py" "$source_midi" "$processed"
else
    "$python" "$tools/channel_view.py" "$source_midi" "$processed" --listen
fi
