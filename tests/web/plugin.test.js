// The plug-in in Debian's Chromium, headless, loaded as any WAM host loads it: the SDK's
// initializeWamHost, then createInstance, in an OfflineAudioContext. A phrase on three channels
// with a transport start, option changes, a stop and a restart goes in; a second WAM connected
// to it records every event it receives, in order and with its time. Then the demo phrase goes
// through a second instance, to be compared with quorlin-host's demo.
import { test, after } from 'node:test';
import assert from 'node:assert/strict';
import path from 'node:path';
import { createRequire } from 'node:module';
import { execFileSync } from 'node:child_process';
import { root, required } from './prerequisites.js';
import { serve } from '../../web/tools/serve.js';

const chromiumPath = required('/usr/bin/chromium', 'install chromium');
required(path.join(root, 'build/web/quorlin/index.js'), 'make web');
const { chromium } = createRequire(path.join(root, 'web/package.json'))('playwright-core');
const host = required(path.join(root, 'build/native/quorlin-host'), 'make web');
const trace = required(path.join(root, 'build/native/tests/web/quorlin-bank-trace'), 'make web');

// The channel messages of a file (the demo phrase for --demo) as the trace reads them: [tick, bytes].
const messagesOf = (file) => [...execFileSync(trace, [file]).toString().split('create\n')[1]
    .matchAll(/^receive (\d+) (\d+ \d+ \d+)/gm)].map(([, tick, bytes]) => [Number(tick), bytes]);
const hostDemo = path.join(root, 'build/web-tests-demo.mid');
execFileSync(host, ['demo', '--speed', '40', '--force', '-o', hostDemo]);

const server = await serve(path.join(root, 'build/web'), 0);
const browser = await chromium.launch({ executablePath: chromiumPath,
    args: ['--no-sandbox', '--autoplay-policy=no-user-gesture-required'] });
const base = `http://localhost:${server.address().port}`;
after(async () => {
    await browser.close();
    server.close();
});

// Runs in the page: the phrase through Quorlin into the recorder; what the recorder saw.
async function playPhrase(demo) {
    const sdk = await import('/quorlin/sdk.js');
    const { default: Quorlin } = await import('/quorlin/index.js');
    const context = new OfflineAudioContext(1, 48000 * 10, 48000);
    const [hostGroupId] = await sdk.initializeWamHost(context);
    const quorlin = await Quorlin.createInstance(hostGroupId, context);

    const recorderProcessor = (moduleId) => {
        const { WamProcessor } = globalThis.webAudioModules.getModuleScope(moduleId);
        class Recorder extends WamProcessor {
            _processEvent() {} // the SDK reports every processed event to the node
            _process() {}
        }
        globalThis.registerProcessor(moduleId, Recorder);
    };
    class RecorderModule extends sdk.WebAudioModule {
        async createAudioNode() {
            await sdk.WamNode.addModules(context, this.moduleId);
            await sdk.addFunctionModule(context.audioWorklet, recorderProcessor, this.moduleId);
            const node = new sdk.WamNode(this, { numberOfInputs: 1, numberOfOutputs: 0 });
            await node._initialize();
            return node;
        }
    }
    const recorder = await RecorderModule.createInstance(hostGroupId, context);
    const seen = [];
    for (const type of ['wam-midi', 'wam-transport', 'wam-automation', 'wam-sysex']) {
        recorder.audioNode.addEventListener(type, ({ detail }) => seen.push(
            [detail.time, type === 'wam-midi' ? detail.data.bytes.join(' ') : type]));
    }
    const node = quorlin.audioNode;
    node.connectEvents(recorder.instanceId);
    await node.setParameterValues({ portamentoSpeed: { id: 'portamentoSpeed', value: 20, normalized: false } });

    const midi = (time, ...bytes) => ({ type: 'wam-midi', time, data: { bytes } });
    const automation = (time, id, value) => ({ type: 'wam-automation', time, data: { id, value, normalized: false } });
    const transport = (time, playing) => ({ type: 'wam-transport', time,
        data: { playing, currentBar: 0, currentBarStarted: time, tempo: 120, timeSigNumerator: 4, timeSigDenominator: 4 } });
    node.scheduleEvents(
        transport(0.1, true),
        midi(0.2, 0x90, 60, 96), midi(0.25, 0x91, 64, 90), midi(0.3, 0x90, 62, 96),
        midi(0.35, 0x80, 60, 0), midi(0.4, 0x81, 64, 0), midi(0.5, 0x80, 62, 0),
        midi(0.6, 0x91, 67, 90),
        { type: 'wam-automation', time: 0.7, data: { id: 'portamentoSpeed', value: 64, normalized: false } },
        midi(0.8, 0x90, 69, 96), midi(0.85, 0xb0, 7, 100),
        { type: 'wam-sysex', time: 0.9, data: { bytes: new Uint8Array([0xf0, 0x7e, 0xf7]) } },
        midi(0.95, 0x90, 71, 96), transport(1.0, false), transport(1.1, true),
        midi(1.2, 0x90, 72, 96), automation(1.25, 'glide_source', 1), automation(1.25, 'interval_limit', 12),
        automation(1.25, 'legato_tolerance', 20), midi(1.3, 0x92, 48, 90), midi(1.32, 0x92, 69, 90),
        midi(1.34, 0x82, 69, 0), midi(1.35, 0x92, 72, 90), midi(1.37, 0x92, 74, 90));
    // The demo at 120 beats a minute (960 ticks a second) from 1.5 s, through a fresh instance.
    const demoNode = (await Quorlin.createInstance(hostGroupId, context)).audioNode;
    demoNode.connectEvents(recorder.instanceId);
    await demoNode.setParameterValues({ portamentoSpeed: { id: 'portamentoSpeed', value: 40, normalized: false } });
    demoNode.scheduleEvents(...demo.map(([tick, bytes]) => midi(1.5 + tick / 960, ...bytes.split(' ').map(Number))));
    // The port keeps its order: once this answers, every event above is queued.
    await node.getParameterValues(false);
    await demoNode.getParameterValues(false);
    await context.startRendering();
    await recorder.audioNode.getParameterValues(false);
    await new Promise((resolve) => setTimeout(resolve, 200));

    await node.setParameterValues({ chord_window: { id: 'chord_window', value: 25, normalized: false },
        cc65_on_change: { id: 'cc65_on_change', value: 1, normalized: false } });
    const second = await Quorlin.createInstance(hostGroupId, context, await quorlin.getState());
    return {
        seen,
        descriptor: quorlin.descriptor,
        info: await node.getParameterInfo(),
        restored: await second.audioNode.getParameterValues(false),
    };
}

test('the plug-in in Chromium: descriptor, parameters and the phrase', async () => {
    const page = await browser.newPage();
    const errors = [];
    page.on('pageerror', (error) => errors.push(error.message));
    await page.goto(`${base}/quorlin/descriptor.json`);
    const { seen, descriptor, info, restored } = await page.evaluate(playPhrase, messagesOf('--demo'));
    assert.deepEqual(errors, []);

    assert.equal(descriptor.name, 'Quorlin');
    assert.equal(descriptor.vendor, 'Tessivar');
    assert.deepEqual(
        [descriptor.hasMidiInput, descriptor.hasMidiOutput, descriptor.hasAudioInput,
            descriptor.hasAudioOutput, descriptor.isInstrument],
        [true, true, false, false, false]);
    const range = ({ type, minValue, maxValue, defaultValue }) => [type, minValue, maxValue, defaultValue];
    assert.deepEqual(Object.fromEntries(Object.entries(info).map(([id, item]) => [id, range(item)])), {
        portamentoSpeed: ['int', -1, 127, -1],
        chord_window: ['float', 0, 100, 0],
        cc65_on_change: ['boolean', 0, 1, 0],
        glide_source: ['boolean', 0, 1, 0],
        interval_limit: ['int', 0, 128, 128],
        legato_tolerance: ['float', 0, 100, 0],
    });
    assert.deepEqual(Object.values(restored).map(({ value }) => value), [64, 25, 1, 1, 12, 20]);

    const demoSeen = seen.filter(([time]) => time >= 1.5);
    assert.deepEqual(demoSeen.map(([time, what]) => [Math.round((time - 1.5) * 960), what]), messagesOf(hostDemo));
    // Controller 5 with a channel's first note-on and to the playing channels after the speed
    // changes and the transport starts again; controller 65 right before each note-on; the stop
    // forgot the held B4, so C5 does not glide. Everything else passes as it came.
    assert.deepEqual(seen.filter(([time]) => time < 1.5).map(([time, what]) => `${time} ${what}`), [
        '0.1 wam-transport',
        '0.2 176 5 20', '0.2 176 65 0', '0.2 144 60 96',
        '0.25 177 5 20', '0.25 177 65 0', '0.25 145 64 90',
        '0.3 176 65 127', '0.3 144 62 96',
        '0.35 128 60 0', '0.4 129 64 0', '0.5 128 62 0',
        '0.6 177 65 0', '0.6 145 67 90',
        '0.7 wam-automation', '0.7 176 5 64', '0.7 177 5 64',
        '0.8 176 65 0', '0.8 144 69 96', '0.85 176 7 100',
        '0.9 wam-sysex',
        '0.95 176 65 127', '0.95 144 71 96',
        '1 wam-transport',
        '1.1 176 5 64', '1.1 177 5 64', '1.1 wam-transport',
        '1.2 176 65 0', '1.2 144 72 96', '1.25 wam-automation', '1.25 wam-automation', '1.25 wam-automation',
        // Over a held C3: A4, beyond the interval limit, is struck; C5 glides from A4, let go
        // within the tolerance, and D5 from the held C5, each named by controller 84.
        '1.3 178 5 64', '1.3 178 65 0', '1.3 146 48 90', '1.32 178 65 0', '1.32 146 69 90', '1.34 130 69 0',
        '1.35 178 65 127', '1.35 178 84 69', '1.35 146 72 90', '1.37 178 65 127', '1.37 178 84 72', '1.37 146 74 90',
    ]);
    await page.close();
});

// Only the operating system's MIDI is faked: one input the test plays, one output that records.
function fakeMidi() {
    const input = { id: 'keys', name: 'Keys', onmidimessage: null };
    const sent = [];
    const output = { id: 'synth', name: 'Synth', send: (data) => sent.push([[...data].join(' '), performance.now()]) };
    window.fakeMidi = { input, sent };
    navigator.requestMIDIAccess = async () => ({ inputs: new Map([['keys', input]]),
        outputs: new Map([['synth', output]]), addEventListener() {} });
}

test('the page: the only keyboard and synthesizer connected, the phrase through, panic', async (t) => {
    const page = await browser.newPage();
    await page.addInitScript(fakeMidi);
    await page.goto(`${base}/`);
    await page.waitForSelector('#editor .quorlin-valuebox');
    await page.evaluate(async () => {
        for (const data of [[0x90, 60, 96], [0x90, 62, 96], [0x80, 60, 64], [0x91, 64, 80], [0x80, 62, 64]]) {
            window.fakeMidi.input.onmidimessage({ data: new Uint8Array(data) });
            await new Promise((resolve) => setTimeout(resolve, 40));
        }
    });
    await page.click('#panic');
    await page.waitForFunction(() => window.fakeMidi.sent.length >= 24);
    const sent = await page.evaluate(() => window.fakeMidi.sent);
    assert.deepEqual(sent.map(([data]) => data), [
        '176 65 0', '144 60 96', '176 65 127', '144 62 96', '128 60 64', '177 65 0', '145 64 80',
        '128 62 64', ...Array.from({ length: 16 }, (_, channel) => `${176 + channel} 123 0`)]);
    assert.equal(await page.textContent('#midi-status'), '');

    // Messages played one at a time, a note-on (after its controller 65) or a note-off, from the
    // input's call to the output's send: at the median, within one render quantum of the page's
    // context plus 2 ms. The median holds on a busy machine, where a few messages wait longer.
    const { delays, quantum } = await page.evaluate(async () => {
        const delays = [];
        for (let index = 0; index < 24; ++index) {
            const data = [index % 2 ? 0x8f : 0x9f, 60, 64];
            const start = performance.now();
            window.fakeMidi.input.onmidimessage({ data: new Uint8Array(data) });
            await new Promise((resolve) => setTimeout(resolve, 40));
            delays.push(window.fakeMidi.sent.findLast(([bytes]) => bytes === data.join(' '))[1] - start);
        }
        return { delays: delays.sort((a, b) => a - b), quantum: 128000 / window.quorlinPage.context.sampleRate };
    });
    t.diagnostic(`milliseconds through the page, sorted: ${delays.map((delay) => delay.toFixed(1)).join(' ')}`);
    assert.ok(delays[12] <= quantum + 2, `median ${delays[12].toFixed(2)} ms, bound ${(quantum + 2).toFixed(2)} ms`);
    await page.close();
});

test('the page without devices says so in one line, and still shows the plug-in', async () => {
    const context = await browser.newContext();
    await context.grantPermissions(['midi'], { origin: base });
    const page = await context.newPage();
    await page.goto(`${base}/`);
    await page.waitForFunction(() => document.getElementById('midi-status').textContent !== '');
    // Chromium here has no MIDI system at all and refuses; with one, it finds no devices.
    assert.match(await page.textContent('#midi-status'), /^(No MIDI keyboard or synthesizer found|Web MIDI was refused)/);
    await page.waitForSelector('#editor .quorlin-valuebox');
    await context.close();
});
