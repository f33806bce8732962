// The AudioWorklet processor of the web plug-in: the channel bank, compiled to WebAssembly, behind
// WAM events. A MIDI event goes out unchanged, after the messages the bank asks for at the same
// time; every other event passes through unchanged. The function is handed to the worklet as
// text (the SDK's addFunctionModule), so it refers to nothing outside itself.
//
// The event path allocates nothing of its own: the bank's answers are read from a view made
// once, the events Quorlin sends itself come from a pool made at construction, and the answer to
// an event taken from the port is one object posted again. What the SDK allocates to carry an
// event (the message from the main thread, the arguments of emitEvents, the entry in a
// downstream queue) is the SDK's.
const getQuorlinProcessor = (moduleId) => {
    const scope = globalThis.webAudioModules.getModuleScope(moduleId);
    const { WamProcessor, WamParameterInfo } = scope;

    // Events of Quorlin's own sent between two renders at most before one is used again;
    // downstream processors keep a reference only until they have processed it.
    const poolSize = 512;
    const statusKindMask = 0xf0;
    const statusSystem = 0xf0;

    // The length of a channel message by its status: program change and channel pressure take
    // two bytes, the others three.
    const lengthOf = (status) => {
        const kind = status & statusKindMask;
        return kind === 0xc0 || kind === 0xd0 ? 2 : 3;
    };

    // A parameter value as the bank's speed: rounded into -1 ("Off") .. 127, not a number Off.
    const speedOf = (value) => (value >= -1 ? Math.min(Math.round(value), 127) : -1);

    class QuorlinProcessor extends WamProcessor {
        constructor(options) {
            super(options);
            const { bankModule, parameterConfigurations } = options.processorOptions;
            this._configurations = parameterConfigurations;
            const instance = new WebAssembly.Instance(new WebAssembly.Module(bankModule), {});
            this._bank = instance.exports;
            this._handle = this._bank.quorlin_bank_create();
            // The heap grew for the bank; it grows no more, so one view of its words serves.
            this._words = new Uint32Array(
                this._bank.memory.buffer,
                this._bank.quorlin_bank_messages(this._handle),
                16,
            );
            this._bank.quorlin_bank_set_position_rate(this._handle, globalThis.sampleRate);
            this._rolling = false;
            // Each parameter the bank takes: how its value becomes the bank's, the bank's setter,
            // and the value the bank has (none yet).
            const bank = this._bank;
            const toggle = (value) => (value ? 1 : 0);
            const same = (value) => value;
            this._settings = [
                ['portamentoSpeed', speedOf, bank.quorlin_bank_set_speed],
                ['chord_window', same, bank.quorlin_bank_set_chord_window],
                ['cc65_on_change', toggle, bank.quorlin_bank_set_portamento_on_change],
                ['glide_source', toggle, bank.quorlin_bank_set_glide_source],
                ['interval_limit', same, bank.quorlin_bank_set_interval_limit],
                ['legato_tolerance', same, bank.quorlin_bank_set_legato_tolerance],
            ].map(([id, of, set]) => ({ id, of, set, value: NaN }));
            this._pool = [];
            for (let index = 0; index < poolSize; ++index) {
                this._pool.push({ type: 'wam-midi', time: 0, data: { bytes: [0, 0, 0] } });
            }
            this._next = 0;
            this._answer = { id: 0, response: 'add/event' }; // copied by each postMessage
        }

        _generateWamParameterInfo() {
            const info = {};
            for (const [id, configuration] of Object.entries(this._configurations)) {
                info[id] = new WamParameterInfo(id, configuration);
            }
            return info;
        }

        // An event from the main thread that is due before the next quantum ends, with none
        // waiting before it, is taken at once in the port's handler: a message played live goes
        // through without waiting for the render, which the browser may run several quanta late.
        _onMessage(message) {
            const { id, request, content } = message.data;
            const quantum = this._samplesPerQuantum / globalThis.sampleRate;
            if (request !== 'add/event' || !this._initialized || this._eventQueue.length > 0
                || content.event.time >= globalThis.currentTime + quantum) {
                return super._onMessage(message);
            }
            this._processEvent(content.event);
            this._answer.id = id;
            this.port.postMessage(this._answer);
            return undefined;
        }

        _processEvent(event) {
            switch (event.type) {
            case 'wam-midi':
                this._onMidiEvent(event);
                return;
            case 'wam-transport':
                this._onTransportEvent(event);
                break;
            case 'wam-automation':
                // It passes on first; a new speed follows it to the channels that play.
                super._processEvent(event);
                this.emitEvents(event);
                this._applyParameters(event.time === undefined ? globalThis.currentTime : event.time);
                return;
            default:
                break;
            }
            this.emitEvents(event);
        }

        _process(startSample) {
            const now = globalThis.currentTime + startSample / globalThis.sampleRate;
            if (startSample === 0) {
                this._bank.quorlin_bank_advance(this._handle, globalThis.currentFrame | 0);
            }
            this._applyParameters(now);
        }

        // The parameters handed to the bank where they changed; a new speed goes out to the
        // channels that play, at `time`.
        _applyParameters(time) {
            const state = this._parameterState;
            // An indexed loop: an iterator would be an object made per event.
            for (let index = 0; index < this._settings.length; ++index) {
                const setting = this._settings[index];
                const value = setting.of(state[setting.id].value);
                if (value !== setting.value) {
                    setting.value = value;
                    setting.set(this._handle, value);
                }
            }
            if (this._bank.quorlin_bank_speeds_due(this._handle)) {
                this._send(this._bank.quorlin_bank_due_speeds(this._handle), time);
            }
        }

        _onMidiEvent(event) {
            const time = event.time === undefined ? globalThis.currentTime : event.time;
            this._applyParameters(time);
            const { bytes } = event.data;
            const status = bytes[0];
            if (status < statusSystem) {
                const at = time > globalThis.currentTime ? time : globalThis.currentTime;
                const position = Math.round(at * globalThis.sampleRate) | 0;
                const count = this._bank.quorlin_bank_receive(
                    this._handle, status, bytes[1], bytes[2], lengthOf(status), position, 0);
                this._send(count, time);
            }
            this.emitEvents(event);
        }

        // A transport that starts playing owes every channel that plays its speed; one that
        // stops forgets the held keys.
        _onTransportEvent(event) {
            const playing = !!event.data.playing;
            if (playing === this._rolling) {
                return;
            }
            this._rolling = playing;
            if (playing) {
                this._bank.quorlin_bank_start(this._handle);
                const time = event.time === undefined ? globalThis.currentTime : event.time;
                this._send(this._bank.quorlin_bank_due_speeds(this._handle), time);
            } else {
                this._bank.quorlin_bank_stop(this._handle);
            }
        }

        // The bank's last answer of `count` words, as MIDI events at `time`.
        _send(count, time) {
            for (let index = 0; index < count; ++index) {
                const word = this._words[index];
                const event = this._pool[this._next];
                this._next = (this._next + 1) % poolSize;
                event.time = time;
                const { bytes } = event.data;
                bytes[0] = word & 0xff;
                bytes[1] = (word >>> 8) & 0xff;
                bytes[2] = (word >>> 16) & 0xff;
                this.emitEvents(event);
            }
        }

        destroy() {
            this._bank.quorlin_bank_destroy(this._handle);
            this._handle = 0;
            super.destroy();
        }
    }

    // A second instance in the same context finds the processor registered.
    if (!scope.QuorlinProcessor) {
        scope.QuorlinProcessor = QuorlinProcessor;
        globalThis.registerProcessor(moduleId, QuorlinProcessor);
    }
    return QuorlinProcessor;
};

export default getQuorlinProcessor;
