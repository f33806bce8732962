// The page: Quorlin between a Web MIDI keyboard and a synthesizer, or the built-in voice when no
// output is chosen. Every message from the input goes through the plug-in; what the plug-in
// sends reaches the page through a second WAM connected to it, which hands each event to the
// main thread as it arrives. Everything loads from this page's own origin.
import { initializeWamHost, WebAudioModule, WamNode, addFunctionModule } from './quorlin/sdk.js';
import Quorlin from './quorlin/index.js';
import GlideVoice from './GlideVoice.js';

const shownMessages = 16;
const noteNames = ['C', 'C#', 'D', 'D#', 'E', 'F', 'F#', 'G', 'G#', 'A', 'A#', 'B'];
const controllerNames = { 5: 'portamento time', 65: 'portamento', 84: 'portamento control',
    120: 'all sound off', 123: 'all notes off' };

const $ = (id) => document.getElementById(id);

// A message as a line of the running view; true for the controllers Quorlin is about.
function describe([status, first, second]) {
    const channel = `ch ${(status & 0x0f) + 1}`;
    const note = `${noteNames[first % 12]}${Math.floor(first / 12) - 1} (${first})`;
    switch (status & 0xf0) {
    case 0x90:
        return [`${channel}  note on   ${note}  vel ${second}`, false];
    case 0x80:
        return [`${channel}  note off  ${note}`, false];
    case 0xb0: {
        const name = controllerNames[first] ?? '';
        const named = first === 5 || first === 65 || first === 84;
        const value = first === 65 ? `${second} ${second >= 64 ? 'on' : 'off'}` : second;
        return [`${channel}  cc ${first} ${name} = ${value}`, named];
    }
    default:
        return [[status, first, second].map((byte) => byte.toString(16).padStart(2, '0')).join(' '), false];
    }
}

// The receiving end of the plug-in's events: a WAM that hands each to the page as it arrives,
// not at its next render.
const sinkProcessor = (moduleId) => {
    const { WamProcessor } = globalThis.webAudioModules.getModuleScope(moduleId);
    class Sink extends WamProcessor {
        constructor(options) {
            super(options);
            this._message = { event: null }; // copied by each postMessage
        }

        scheduleEvents(...events) {
            for (const event of events) {
                this._message.event = event;
                this.port.postMessage(this._message);
            }
        }

        _process() {}
    }
    globalThis.registerProcessor(moduleId, Sink);
};
class SinkModule extends WebAudioModule {
    constructor(groupId, audioContext) {
        super(groupId, audioContext);
        this._descriptor.identifier = 'com.tessivar.quorlin-page-sink';
    }

    async createAudioNode() {
        await WamNode.addModules(this.audioContext, this.moduleId);
        await addFunctionModule(this.audioContext.audioWorklet, sinkProcessor, this.moduleId);
        const node = new WamNode(this, { numberOfInputs: 1, numberOfOutputs: 0 });
        await node._initialize();
        return node;
    }
}

class LivePage {
    async start() {
        this.context = new AudioContext({ latencyHint: 'interactive' });
        const [hostGroupId] = await initializeWamHost(this.context);
        this.quorlin = await Quorlin.createInstance(hostGroupId, this.context);
        this.sink = await SinkModule.createInstance(hostGroupId, this.context);
        this.quorlin.audioNode.connectEvents(this.sink.instanceId);
        this.sink.audioNode.addEventListener('wam-midi', ({ detail }) => this.sent(detail.data.bytes));
        this.voice = new GlideVoice(this.context);
        $('editor').append(await this.quorlin.createGui());
        $('panic').addEventListener('click', () => this.panic());
        this.watchAudio();
        await this.connectMidi();
    }

    // Browsers start audio only after a gesture on the page.
    watchAudio() {
        const show = () => { $('audio-status').hidden = this.context.state === 'running'; };
        this.context.addEventListener('statechange', show);
        const resume = () => this.context.resume();
        $('start-audio').addEventListener('click', resume);
        document.addEventListener('pointerdown', resume, { once: true });
        document.addEventListener('keydown', resume, { once: true });
        show();
    }

    async connectMidi() {
        if (!navigator.requestMIDIAccess) {
            $('midi-status').textContent = 'Web MIDI is missing in this browser: no keyboard or synthesizer can be reached from here.';
            return;
        }
        try {
            this.midi = await navigator.requestMIDIAccess();
        } catch (error) {
            $('midi-status').textContent = `Web MIDI was refused (${error.name}): no keyboard or synthesizer can be reached from here.`;
            return;
        }
        $('midi-input').addEventListener('change', () => this.chooseInput($('midi-input').value));
        $('midi-output').addEventListener('change', () => this.chooseOutput($('midi-output').value));
        this.midi.addEventListener('statechange', () => this.listPorts());
        this.listPorts();
    }

    // The lists as the system has them now; with exactly one of each, both are chosen.
    listPorts() {
        const inputs = [...this.midi.inputs.values()];
        const outputs = [...this.midi.outputs.values()];
        const fill = (select, ports, none) => {
            const chosen = select.value;
            select.replaceChildren(new Option(none, ''),
                ...ports.map((port) => new Option(port.name, port.id)));
            select.value = ports.some((port) => port.id === chosen) ? chosen : '';
        };
        $('midi-status').textContent = inputs.length || outputs.length ? ''
            : 'No MIDI keyboard or synthesizer found: connect one and it appears in the lists.';
        fill($('midi-input'), inputs, '(none)');
        fill($('midi-output'), outputs, 'the built-in voice');
        if (inputs.length === 1 && outputs.length === 1 && !this.input && !this.output) {
            $('midi-input').value = inputs[0].id;
            $('midi-output').value = outputs[0].id;
        }
        this.chooseInput($('midi-input').value);
        this.chooseOutput($('midi-output').value);
    }

    chooseInput(id) {
        const input = id ? this.midi.inputs.get(id) : null;
        if (input === this.input) {
            return;
        }
        if (this.input) {
            this.input.onmidimessage = null;
        }
        this.input = input;
        if (input) {
            input.onmidimessage = (message) => this.play(message.data);
        }
    }

    chooseOutput(id) {
        this.output = id ? this.midi.outputs.get(id) ?? null : null;
    }

    // One message from the keyboard, into the plug-in at once.
    play(data) {
        if (data.length === 0 || data.length > 3 || data[0] >= 0xf0) {
            return; // system messages are the keyboard's own business
        }
        this.quorlin.audioNode.scheduleEvents({ type: 'wam-midi', time: this.context.currentTime,
            data: { bytes: [data[0], data[1] ?? 0, data[2] ?? 0] } });
    }

    // All Notes Off on every channel, through Quorlin, which forgets its held keys too.
    panic() {
        for (let channel = 0; channel < 16; ++channel) {
            this.play([0xb0 | channel, 123, 0]);
        }
    }

    // What the plug-in sent: to the synthesizer or the voice, and into the running view.
    sent(bytes) {
        const length = (bytes[0] & 0xe0) === 0xc0 ? 2 : 3;
        if (this.output) {
            this.output.send(bytes.slice(0, length));
        } else {
            this.voice.receive(bytes);
        }
        const [text, named] = describe(bytes);
        const line = document.createElement('li');
        line.textContent = text;
        line.classList.toggle('portamento', named);
        const list = $('sent');
        list.prepend(line);
        while (list.children.length > shownMessages) {
            list.lastElementChild.remove();
        }
    }
}

const page = new LivePage();
window.quorlinPage = page;
page.start().catch((error) => {
    $('midi-status').textContent = `Quorlin could not start: ${error.message}`;
});
