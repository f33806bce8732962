// Puts the web build together in a fresh folder:
//   node web/tools/assemble.js SKIN-DIR WASM-BUILD-DIR OUT-DIR
// OUT-DIR/quorlin/ is the plug-in, a folder served as it is: the sources of web/plugin/, the
// SDK as one module, the bank's WebAssembly module, the ranges the build wrote, and skin.js,
// the "editor" view's skin description and bitmaps as `quorlin-host skin` fetched them from the
// library into SKIN-DIR. OUT-DIR/ itself gets the page, web/page/, and its module for files,
// quorlin-host.wasm.
import fs from 'node:fs';
import path from 'node:path';
import { fileURLToPath } from 'node:url';

const [skinDirectory, wasmBuild, outDirectory] = process.argv.slice(2);
if (!outDirectory) {
    console.error('usage: node assemble.js SKIN-DIR WASM-BUILD-DIR OUT-DIR');
    process.exit(2);
}
const web = path.dirname(path.dirname(fileURLToPath(import.meta.url)));
const plugin = path.join(outDirectory, 'quorlin');
fs.mkdirSync(plugin, { recursive: true });

const copy = (from, to) => fs.copyFileSync(from, path.join(plugin, to ?? path.basename(from)));
for (const name of fs.readdirSync(path.join(web, 'plugin'))) {
    if (name.endsWith('.js') || name.endsWith('.json')) {
        copy(path.join(web, 'plugin', name));
    }
}
copy(path.join(web, 'node_modules/@webaudiomodules/sdk/dist/index.js'), 'sdk.js');
copy(path.join(wasmBuild, 'quorlin-bank.wasm'));
copy(path.join(wasmBuild, 'PlayingRanges.js'));

// The skin as the library hands it over: the document, and each bitmap it declares as data.
const document = fs.readFileSync(path.join(skinDirectory, 'editor.xml'), 'latin1');
const bitmaps = {};
for (const [, name] of document.matchAll(/<bitmap\s+name="([^"]+)"/g)) {
    const file = path.join(skinDirectory, `${name}.png`);
    bitmaps[name] = `data:image/png;base64,${fs.readFileSync(file).toString('base64')}`;
}
fs.writeFileSync(path.join(plugin, 'skin.js'),
    '// Written by the build from the skin the library carries; do not edit.\n' +
    `export const skinDocument = ${JSON.stringify(document)};\n` +
    `export const bitmaps = ${JSON.stringify(bitmaps, null, 1)};\n`);

// The page's own module, quorlin-host's process for its files.
fs.copyFileSync(path.join(wasmBuild, 'quorlin-host.wasm'), path.join(outDirectory, 'quorlin-host.wasm'));

const page = path.join(web, 'page');
if (fs.existsSync(page)) {
    for (const name of fs.readdirSync(page)) {
        fs.copyFileSync(path.join(page, name), path.join(outDirectory, name));
    }
}
