// A small synthesizer voice for the page when no MIDI output is chosen, so that a laptop alone
// lets a player hear what Quorlin does. It obeys controllers 65, 84 and 5 as a synthesizer
// does: while controller 65 is on, a note glides in from the pitch of the channel's previous
// note, or from the key that controller 84 named just before it, over the portamento time.
//
// The portamento time from controller 5: value × 8 ms (0 is instant, 40 is 320 ms, 127 about
// a second); until a controller 5 arrives, 100 ms.
const millisecondsPerStep = 8;
const defaultGlideSeconds = 0.1;
const attackSeconds = 0.005;
const releaseSeconds = 0.08;

const frequencyOf = (note) => 440 * 2 ** ((note - 69) / 12);

export default class GlideVoice {
    constructor(audioContext, destination = audioContext.destination) {
        this.context = audioContext;
        this.output = new GainNode(audioContext, { gain: 0.15 });
        this.output.connect(destination);
        this.channels = Array.from({ length: 16 }, () => ({
            portamento: false, glideSeconds: defaultGlideSeconds, source: null, previous: null,
            sounding: new Map(),
        }));
    }

    // One MIDI message of up to three bytes, at the context's time `time` (now when omitted).
    receive(bytes, time = this.context.currentTime) {
        const [status, first, second] = bytes;
        const channel = this.channels[status & 0x0f];
        switch (status & 0xf0) {
        case 0x90:
            if (second > 0) {
                this.noteOn(channel, first, second, time);
                return;
            }
            this.noteOff(channel, first, time);
            return;
        case 0x80:
            this.noteOff(channel, first, time);
            return;
        case 0xb0:
            if (first === 65) {
                channel.portamento = second >= 64;
            } else if (first === 84) {
                channel.source = second;
            } else if (first === 5) {
                channel.glideSeconds = (second * millisecondsPerStep) / 1000;
            } else if (first === 120 || first >= 123) {
                for (const note of [...channel.sounding.keys()]) {
                    this.noteOff(channel, note, time);
                }
            }
            return;
        default:
        }
    }

    noteOn(channel, note, velocity, time) {
        this.noteOff(channel, note, time);
        const from = channel.source ?? channel.previous;
        channel.source = null;
        channel.previous = note;
        const oscillator = new OscillatorNode(this.context, { type: 'triangle' });
        const envelope = new GainNode(this.context, { gain: 0 });
        oscillator.connect(envelope).connect(this.output);
        if (channel.portamento && from !== null && channel.glideSeconds > 0) {
            oscillator.frequency.setValueAtTime(frequencyOf(from), time);
            oscillator.frequency.exponentialRampToValueAtTime(frequencyOf(note), time + channel.glideSeconds);
        } else {
            oscillator.frequency.setValueAtTime(frequencyOf(note), time);
        }
        envelope.gain.setValueAtTime(0, time);
        envelope.gain.linearRampToValueAtTime(velocity / 127, time + attackSeconds);
        oscillator.start(time);
        channel.sounding.set(note, { oscillator, envelope });
    }

    noteOff(channel, note, time) {
        const voice = channel.sounding.get(note);
        if (!voice) {
            return;
        }
        channel.sounding.delete(note);
        voice.envelope.gain.cancelScheduledValues(time);
        voice.envelope.gain.setTargetAtTime(0, time, releaseSeconds / 3);
        voice.oscillator.stop(time + releaseSeconds * 2);
    }
}
