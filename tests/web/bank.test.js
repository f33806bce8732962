// The WebAssembly bank against the native one: quorlin-bank-trace runs a script on the native
// bank for the demo phrase and each fuzz corpus file under every option combination, and the
// same steps replayed through the module's exports must give the same messages, line for line.
import { test } from 'node:test';
import assert from 'node:assert/strict';
import fs from 'node:fs';
import path from 'node:path';
import { execFileSync } from 'node:child_process';
import { root, required } from './prerequisites.js';

const trace = required(path.join(root, 'build/native/tests/web/quorlin-bank-trace'), 'make web');
const wasm = required(path.join(root, 'build/web/quorlin/quorlin-bank.wasm'), 'make web');
const module = new WebAssembly.Module(fs.readFileSync(wasm));
const bank = new WebAssembly.Instance(module, {}).exports;

const hex = (word) => word.toString(16).padStart(6, '0');

// Runs the script's steps on the WebAssembly bank; each line as the trace writes it.
function replay(lines) {
    let handle = 0;
    return lines.map((line) => {
        const [step] = line.split(' |');
        const [name, ...numbers] = step.split(' ');
        const [a, b, c, d, e] = numbers.map(Number);
        const calls = {
            create: () => { bank.quorlin_bank_destroy(handle); handle = bank.quorlin_bank_create(); },
            rate: () => bank.quorlin_bank_set_position_rate(handle, a),
            speed: () => bank.quorlin_bank_set_speed(handle, a),
            window: () => bank.quorlin_bank_set_chord_window(handle, a),
            onchange: () => bank.quorlin_bank_set_portamento_on_change(handle, a),
            glide: () => bank.quorlin_bank_set_glide_source(handle, a),
            interval: () => bank.quorlin_bank_set_interval_limit(handle, a),
            tolerance: () => bank.quorlin_bank_set_legato_tolerance(handle, a),
            start: () => bank.quorlin_bank_start(handle),
            stop: () => bank.quorlin_bank_stop(handle),
            advance: () => bank.quorlin_bank_advance(handle, a),
            notsent: () => bank.quorlin_bank_not_sent(handle, a),
            receive: () => bank.quorlin_bank_receive(handle, b, c, d, e, a, 0),
            position: () => bank.quorlin_bank_position(handle, a),
            due: () => bank.quorlin_bank_due_speeds(handle),
        };
        assert.ok(calls[name], `unknown step: ${line}`);
        const count = calls[name]();
        if (!line.includes(' |')) {
            return step;
        }
        const words = new Uint32Array(bank.memory.buffer, bank.quorlin_bank_messages(handle), count);
        return `${step} |${[...words].map((word) => ` ${hex(word)}`).join('')}`;
    });
}

test('the module imports nothing', () => {
    assert.deepEqual(WebAssembly.Module.imports(module), []);
});

const corpus = path.join(root, 'fuzz/corpus');
const inputs = ['--demo', ...fs.readdirSync(corpus).flatMap((folder) =>
    fs.readdirSync(path.join(corpus, folder)).map((name) => path.join(corpus, folder, name)))];

test('the WebAssembly bank answers as the native bank', async (t) => {
    let answered = 0;
    for (const input of inputs) {
        await t.test(path.basename(input), () => {
            const expected = execFileSync(trace, [input]).toString().trimEnd().split('\n');
            const got = replay(expected);
            const differs = got.findIndex((line, index) => line !== expected[index]);
            assert.equal(differs, -1, `line ${differs + 1}: native "${expected[differs]}", web "${got[differs]}"`);
            answered += expected.filter((line) => /\| [0-9a-f]/.test(line)).length;
        });
    }
    // Controllers 5 and 65 were asked for all along, not only silence compared with silence.
    assert.ok(answered > 1000, `only ${answered} answers with messages`);
});
