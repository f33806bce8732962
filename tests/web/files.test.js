// The page's file part in Chromium, headless: files chosen through its file input come back as
// quorlin-host process writes them, byte for byte with the native program, roll and all; files
// the program refuses give its message, and the page takes the next file.
import { test, after } from 'node:test';
import assert from 'node:assert/strict';
import fs from 'node:fs';
import path from 'node:path';
import { createRequire } from 'node:module';
import { execFileSync, spawnSync } from 'node:child_process';
import { root, required } from './prerequisites.js';
import { serve } from '../../web/tools/serve.js';

const chromiumPath = required('/usr/bin/chromium', 'install chromium');
required(path.join(root, 'build/web/quorlin-host.wasm'), 'make web');
const host = required(path.join(root, 'build/native/quorlin-host'), 'make web');
const { chromium } = createRequire(path.join(root, 'web/package.json'))('playwright-core');

// The files, in a folder of their own, where the native program runs on their bare names.
const work = path.join(root, 'build/web-tests-files');
fs.rmSync(work, { recursive: true, force: true });
fs.mkdirSync(work);
execFileSync(host, ['demo', '-o', path.join(work, 'demo.mid')]);
for (const name of ['format1.mid', 'rich.mid', 'channels.mid']) {
    fs.copyFileSync(path.join(root, 'fuzz/corpus/midi_file', name), path.join(work, name));
}
// Refused ones, made as the host's hostile set is: a track missing, an event cut short, and
// two long gaps that become one too long for a file once --replace-controllers takes out the
// controller between them. And a mebibyte of notes in running status.
execFileSync('/usr/bin/python3', ['-c', `
import sys; sys.path.insert(0, ${JSON.stringify(path.join(root, 'tests/host'))})
from hostile_files import header, chunk, vlq, ONE_NOTE, END, running_status
gap = b"\\x00\\x90\\x3c\\x64" + vlq(0x0FFFFFFF) + b"\\xb0\\x41\\x7f" + vlq(0x0FFFFFFF) + b"\\x80\\x3c\\x40" + END
files = {"missing.mid": header(3) + chunk(b"MTrk", ONE_NOTE),
         "cut.mid": header(1, fmt=0) + chunk(b"MTrk", b"\\x00\\x90\\x3c"),
         "gap.mid": header(1, fmt=0) + chunk(b"MTrk", gap), "long.mid": running_status(1)}
for name, data in files.items():
    open(${JSON.stringify(work)} + "/" + name, "wb").write(data)`]);

// What quorlin-host process writes for `name` with `options`: the file, the roll, the message.
function native(name, options) {
    const legato = name.replace(/\.mid$/, '-legato.mid');
    const run = spawnSync(host, ['process', name, '-o', legato, '--svg', 'roll.svg', '--force',
        ...options], { cwd: work });
    if (run.status !== 0) {
        return { message: run.stderr.toString().trim() };
    }
    return { bytes: fs.readFileSync(path.join(work, legato)),
        picture: fs.readFileSync(path.join(work, 'roll.svg'), 'utf8') };
}

const server = await serve(path.join(root, 'build/web'), 0);
const browser = await chromium.launch({ executablePath: chromiumPath, args: ['--no-sandbox'] });
const page = await browser.newPage();
await page.goto(`http://localhost:${server.address().port}/`);
after(async () => {
    await browser.close();
    server.close();
});

// Sets the page's controls to `options` (the rest back to their defaults), chooses the file and
// waits for the page's answer: the download and the roll, or the message.
async function throughPage(name, options) {
    await page.evaluate((given) => {
        for (const field of document.querySelectorAll('#file-options [data-option]')) {
            const at = given.indexOf(field.dataset.option);
            if (field.type === 'checkbox') {
                field.checked = at >= 0;
            } else {
                field.value = at >= 0 ? given[at + 1] : field.defaultValue || (field.options?.[0].value ?? '');
            }
        }
    }, options);
    const run = Number(await page.getAttribute('#file-status', 'data-run'));
    const started = Date.now();
    await page.setInputFiles('#file-input', path.join(work, name));
    await page.waitForFunction((last) => {
        const status = document.getElementById('file-status');
        return Number(status.dataset.run) > last && status.dataset.state !== 'working' &&
            (status.dataset.state === 'refused' || document.getElementById('file-roll').complete);
    }, run);
    const seconds = (Date.now() - started) / 1000;
    if (await page.getAttribute('#file-status', 'data-state') === 'refused') {
        return { message: `quorlin-host: ${await page.textContent('#file-status')}`, seconds };
    }
    const [download] = await Promise.all([page.waitForEvent('download'), page.click('#file-download')]);
    assert.equal(download.suggestedFilename(), name.replace(/\.mid$/, '-legato.mid'));
    const picture = await page.evaluate(async () =>
        (await fetch(document.getElementById('file-roll').src)).text());
    return { bytes: fs.readFileSync(await download.path()), picture, seconds };
}

const playing = ['--speed', '40', '--chord-window', '20', '--cc65', 'change', '--interval-limit', '12',
    '--glide-source', '--legato-tolerance', '5', '--replace-controllers', '--channels', '1-16', '--per-track'];

test('files through the page: the bytes and the roll of quorlin-host process', async () => {
    for (const [name, options] of [['demo.mid', ['--speed', '40']], ['format1.mid', []],
        ['rich.mid', playing], ['channels.mid', ['--channels', 'all', '--tracks', '1']]]) {
        const { bytes, picture } = await throughPage(name, options);
        const expected = native(name, options);
        assert.ok(expected.bytes, `${name}: ${expected.message}`);
        assert.ok(bytes.equals(expected.bytes), `${name} ${options.join(' ')}: the bytes differ`);
        assert.equal(picture, expected.picture, `${name}: the roll differs`);
    }
    fs.mkdirSync('/tmp/shots', { recursive: true });
    await page.screenshot({ path: '/tmp/shots/file.png', fullPage: true });
});

test('refused files give quorlin-host\'s message, and the page takes the next file', async () => {
    for (const [name, options] of [['missing.mid', []], ['cut.mid', []], ['gap.mid', ['--replace-controllers']],
        ['demo.mid', ['--chord-window', '200']]]) {
        const { message } = await throughPage(name, options);
        assert.equal(message, native(name, options).message);
        const again = await throughPage('demo.mid', []);
        assert.ok(again.bytes.equals(native('demo.mid', []).bytes));
    }
});

test('a mebibyte file: the time from choosing it to the roll of its first bars and the download', async () => {
    const { bytes, picture, seconds } = await throughPage('long.mid', []);
    const expected = native('long.mid', ['--bars', '1-32']);
    assert.ok(bytes.equals(expected.bytes));
    assert.equal(picture, expected.picture, 'the roll is not that of its first 32 bars');
    assert.ok(await page.isVisible('#file-all-bars'));
    console.log(`# long.mid, ${fs.statSync(path.join(work, 'long.mid')).size} bytes: ${seconds.toFixed(2)} s`);
});
