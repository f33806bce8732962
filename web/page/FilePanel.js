// The page's file part: a Standard MIDI File chosen or dropped goes through quorlin-host's
// `process` in a worker (FileWorker.js), with the options set on the page passed as the
// program's option text, so the page gives the program's bytes, piano roll and messages.
const $ = (id) => document.getElementById(id);

// The options the controls stand for, as quorlin-host process takes them: a field's value when
// it holds one, a box's option when it is ticked.
function optionText() {
    const words = [];
    for (const field of document.querySelectorAll('#file-options [data-option]')) {
        if (field.type === 'checkbox') {
            if (field.checked) {
                words.push(field.dataset.option);
            }
        } else if (field.value.trim() !== '') {
            words.push(field.dataset.option, field.value.trim());
        }
    }
    return words;
}

// A file past this size is drawn only in its first bars at first: a picture of every note of a
// long file takes the browser seconds to show, and tells a player less than its first bars do.
// "Draw every bar" draws the rest.
const wholeRollBytes = 256 << 10;
const firstBars = 32;

class FilePanel {
    constructor() {
        this.worker = new Worker(new URL('FileWorker.js', import.meta.url), { type: 'module' });
        this.worker.onmessage = ({ data }) => this.show(data);
        // A fault in the worker itself, not a refusal: said, and the next file goes on.
        this.worker.onerror = ({ message }) => this.state('refused', `unexpected failure: ${message}`);
        this.count = 0;
        this.urls = [];
        // Emptied once taken, so that the same file can be chosen again with other options.
        $('file-input').addEventListener('change', ({ target }) => {
            const [file] = target.files;
            target.value = '';
            this.choose(file);
        });
        const zone = $('files');
        zone.addEventListener('dragover', (event) => {
            event.preventDefault();
            zone.classList.add('dropping');
        });
        zone.addEventListener('dragleave', () => zone.classList.remove('dropping'));
        zone.addEventListener('drop', (event) => {
            event.preventDefault();
            zone.classList.remove('dropping');
            this.choose(event.dataTransfer.files[0]);
        });
        $('file-all-bars').addEventListener('click', () => this.choose(this.file, true));
    }

    // One file in; a later file takes the place of one still being processed.
    async choose(file, everyBar = false) {
        if (!file) {
            return;
        }
        const id = ++this.count;
        this.file = file;
        this.name = file.name;
        this.legatoName = `${file.name.replace(/\.midi?$/i, '')}-legato.mid`;
        this.state('working', `Processing ${file.name}…`);
        const bytes = await file.arrayBuffer();
        const words = ['process', file.name, '-o', this.legatoName, '--svg', 'roll.svg', ...optionText()];
        this.someBars = !everyBar && bytes.byteLength > wholeRollBytes;
        if (this.someBars) {
            words.push('--bars', `1-${firstBars}`);
        }
        this.worker.postMessage({ id, arguments: words, bytes }, [bytes]);
    }

    show({ id, output, picture, warnings, message }) {
        if (id !== this.count) {
            return;
        }
        for (const url of this.urls.splice(0)) {
            URL.revokeObjectURL(url);
        }
        $('file-warnings').replaceChildren();
        if (message !== undefined) {
            $('file-result').hidden = true;
            this.state('refused', message);
            return;
        }
        const url = (bytes, type) => {
            this.urls.push(URL.createObjectURL(new Blob([bytes], { type })));
            return this.urls.at(-1);
        };
        $('file-roll').src = url(picture, 'image/svg+xml');
        const link = $('file-download');
        link.href = url(output, 'audio/midi');
        link.download = this.legatoName;
        link.textContent = `Download ${this.legatoName}`;
        $('file-warnings').append(...warnings.map((line) => {
            const item = document.createElement('li');
            item.textContent = `warning: ${line}`;
            return item;
        }));
        $('file-bars-count').textContent = String(firstBars);
        $('file-bars').hidden = !this.someBars;
        $('file-result').hidden = false;
        this.state('done', `${this.name}: ${output.length} bytes written.`);
    }

    // What the panel says, and for scripts which state it is in, for which file and which run.
    state(state, text) {
        const status = $('file-status');
        status.textContent = text;
        status.dataset.state = state;
        status.dataset.file = this.name;
        status.dataset.run = this.count;
    }
}

window.quorlinFiles = new FilePanel();
