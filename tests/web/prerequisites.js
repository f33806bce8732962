// What the web suites share: the source tree, and files they need, named when missing.
import fs from 'node:fs';
import path from 'node:path';
import { fileURLToPath } from 'node:url';

export const root = path.resolve(path.dirname(fileURLToPath(import.meta.url)), '../..');

// `file` when it exists; otherwise the suite fails, saying what is missing and what makes it.
export function required(file, maker) {
    if (!fs.existsSync(file)) {
        throw new Error(`missing: ${path.relative(root, file)} (${maker})`);
    }
    return file;
}
