// The WebAssembly bank's cost per message in Node beside the native bank's, on the same stream
// in the same run (make web builds the module; the native program is built here):
//   node bench/web_bank_cost.mjs [EVENTS] [REPETITIONS]
// Prints a table for BENCHMARKS.md; fails when the two banks ask for a different number of
// messages, which would mean they did not play the same stream.
import fs from 'node:fs';
import path from 'node:path';
import { execFileSync } from 'node:child_process';
import { fileURLToPath } from 'node:url';

const root = path.resolve(path.dirname(fileURLToPath(import.meta.url)), '..');
const [events = 1000000, repetitions = 7] = process.argv.slice(2).map(Number);
const wasm = path.join(root, 'build/web/quorlin/quorlin-bank.wasm');
if (!fs.existsSync(wasm)) {
    console.error('web_bank_cost: no build/web/quorlin/quorlin-bank.wasm (run make web)');
    process.exit(1);
}
execFileSync('cmake', ['--build', path.join(root, 'build/native'), '--target', 'quorlin_bank_cost'], { stdio: 'ignore' });
const native = execFileSync(path.join(root, 'build/native/bench/quorlin_bank_cost'), [String(events), String(repetitions)])
    .toString().trim().split(' ').map(Number);

// The stream of bench/BankCost.cpp, message for message.
const key = (index) => 48 + (((index % 24) + 24) % 24);
const stream = new Int32Array(events * 4);
for (let index = 0; index < events; ++index) {
    const step = index >> 4;
    const on = step % 2 === 0;
    stream.set([(on ? 0x90 : 0x80) | (index & 15), on ? key(step / 2) : key((step - 1) / 2 - 1), on ? 90 : 0, index * 10], index * 4);
}
const bank = new WebAssembly.Instance(new WebAssembly.Module(fs.readFileSync(wasm)), {}).exports;
let best = Infinity;
let asked = 0;
for (let repetition = 0; repetition < repetitions; ++repetition) {
    const handle = bank.quorlin_bank_create();
    bank.quorlin_bank_set_speed(handle, 40);
    asked = 0;
    const begin = process.hrtime.bigint();
    for (let at = 0; at < stream.length; at += 4) {
        asked += bank.quorlin_bank_receive(handle, stream[at], stream[at + 1], stream[at + 2], 3, stream[at + 3], 0);
    }
    best = Math.min(best, Number(process.hrtime.bigint() - begin) / events);
    bank.quorlin_bank_destroy(handle);
}
console.log(`${events} messages, ${native[1]} asked for natively, ${asked} by WebAssembly; fastest of ${repetitions} passes`);
console.log('| Bank | ns per message | Ratio |\n|---|---:|---:|');
console.log(`| native, bench/BankCost.cpp | ${native[0].toFixed(1)} | 1x |`);
console.log(`| WebAssembly in Node ${process.version} | ${best.toFixed(1)} | ${(best / native[0]).toFixed(1)}x |`);
process.exit(asked === native[1] ? 0 : 1);
