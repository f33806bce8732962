// The page's worker for files: quorlin-host.wasm, quorlin-host's `process` compiled from the
// program's own sources, with a fresh instance for each file, so a refused file leaves nothing
// behind. A message { id, arguments, bytes } (the arguments as quorlin-host takes them) is
// answered with { id, output, picture, warnings } (the file and the roll's SVG as bytes) or, for a refused file, { id, message }: the
// line quorlin-host prints after "quorlin-host: ".
const compiled = WebAssembly.compileStreaming(fetch(new URL('quorlin-host.wasm', import.meta.url)));
const encoder = new TextEncoder();
const decoder = new TextDecoder();

// Copies `bytes` into the room `make(size)` gives. The module's memory may grow in the call,
// so the view is made after it.
function put(module, make, bytes) {
    const at = make(bytes.length);
    new Uint8Array(module.memory.buffer, at, bytes.length).set(bytes);
}

function text(module, at, size) {
    return decoder.decode(new Uint8Array(module.memory.buffer, at, size));
}

function run({ arguments: words, bytes }, module) {
    put(module, module.quorlin_host_arguments, encoder.encode(words.map((word) => `${word}\0`).join('')));
    put(module, module.quorlin_host_input, new Uint8Array(bytes));
    try {
        module.quorlin_host_process();
    } catch (error) {
        if (!(error instanceof WebAssembly.RuntimeError)) {
            throw error;
        }
        const message = text(module, module.quorlin_host_message(), module.quorlin_host_message_size());
        return { message: message || 'unexpected failure' };
    }
    const copy = (at, size) => new Uint8Array(module.memory.buffer, at, size).slice();
    return {
        output: copy(module.quorlin_host_output(), module.quorlin_host_output_size()),
        // UTF-8, as the page hands it to the browser: not decoded here.
        picture: copy(module.quorlin_host_picture(), module.quorlin_host_picture_size()),
        warnings: text(module, module.quorlin_host_warnings(), module.quorlin_host_warnings_size())
            .split('\n').filter((line) => line !== ''),
    };
}

self.onmessage = async ({ data }) => {
    const { exports } = await WebAssembly.instantiate(await compiled, {});
    exports._initialize();
    const answer = run(data, exports);
    self.postMessage({ id: data.id, ...answer },
        answer.output ? [answer.output.buffer, answer.picture.buffer] : []);
};
