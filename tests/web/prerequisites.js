// What the web suites share: the source tree, and files they need, named when missing.
import fs from 'node:fs';
import path from 'node:path';
import { fileURLToPath } from 'node:url';

export const root = path.resolve(path.dirname(fileURLToPath(import.meta.url)), '../..');

// `file` when it exists; otherwise the suite fails, saying what is missing and what makes it.
export function required(file, maker) {
    if (!fs.existsSync(file)) {
        const name = file.startsWith(root) ? path.relative(root, file) : file;
        throw new Error(`missing: ${name} (${maker})`);
    }
    return file;
}
