// Serves a folder over HTTP on localhost, where browsers count a page as a secure context, as
// Web MIDI requires:
//   node web/tools/serve.js [FOLDER] [PORT]        (build/web, 8000; port 0 takes a free one)
// Only files inside the folder are served; nothing is written.
import http from 'node:http';
import fs from 'node:fs';
import path from 'node:path';
import { fileURLToPath } from 'node:url';

const types = {
    '.html': 'text/html; charset=utf-8', '.js': 'text/javascript; charset=utf-8',
    '.css': 'text/css; charset=utf-8', '.json': 'application/json', '.wasm': 'application/wasm',
    '.png': 'image/png', '.svg': 'image/svg+xml', '.mid': 'audio/midi',
};

// Starts the server; resolves to it once it listens.
export function serve(folder, port = 8000) {
    const base = path.resolve(folder);
    const server = http.createServer((request, response) => {
        let name = decodeURIComponent(new URL(request.url, 'http://localhost').pathname);
        if (name.endsWith('/')) {
            name += 'index.html';
        }
        const file = path.join(base, path.normalize(name));
        if (!file.startsWith(base + path.sep) || !fs.statSync(file, { throwIfNoEntry: false })?.isFile()) {
            response.writeHead(404, { 'content-type': 'text/plain' }).end('not found\n');
            return;
        }
        response.writeHead(200, {
            'content-type': types[path.extname(file)] ?? 'application/octet-stream',
            'cache-control': 'no-cache',
        });
        fs.createReadStream(file).pipe(response);
    });
    return new Promise((resolve, reject) => {
        server.once('error', reject);
        server.listen(port, 'localhost', () => resolve(server));
    });
}

if (process.argv[1] === fileURLToPath(import.meta.url)) {
    const [folder = 'build/web', port = '8000'] = process.argv.slice(2);
    if (!fs.existsSync(path.join(folder, 'quorlin', 'index.js'))) {
        console.error(`serve: ${folder} holds no web build (run make web)`);
        process.exit(1);
    }
    const server = await serve(folder, Number(port));
    console.log(`serving ${folder} on http://localhost:${server.address().port}/ (Ctrl-C ends)`);
}
