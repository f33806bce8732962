// The plug-in's face: the skin's "editor" view, drawn from the skin description and the bitmap
// the library carries (skin.js, written by the build from what `quorlin-host skin` fetches from
// the library), with the playing options beneath it in the same style. A value box shows and
// sets the parameter it names: drag sideways, turn the wheel, or use the arrow keys.
import { skinDocument, bitmaps } from './skin.js';
import { speedText, intervalText } from './Parameters.js';

const viewName = 'editor';

const styleText = `
.quorlin-face, .quorlin-options { position: relative; font: 11px sans-serif; color: #10151b;
  user-select: none; }
.quorlin-valuebox { position: absolute; box-sizing: border-box; background: #1b2129;
  border: 1px solid #0b0e12; border-radius: 2px; cursor: ew-resize; overflow: hidden; }
.quorlin-valuebox:focus { outline: 1px solid #e8f4ff; }
.quorlin-valuebar { position: absolute; left: 0; top: 0; bottom: 0; background: #2f6f49; }
.quorlin-led { position: absolute; inset: 0; display: flex; align-items: center;
  justify-content: center; color: #7dff9e; font: bold 11px monospace; }
.quorlin-label { position: absolute; display: flex; align-items: center; white-space: nowrap; }
.quorlin-options { margin-top: 4px; background: #9dadc2; box-shadow: inset 0 0 0 3px #6c8299; }
.quorlin-options .quorlin-label { font-size: 10px; }
`;

// x, y, width and height from a skin `size` attribute.
function boxOf(size) {
    const [x, y, width, height] = size.split(',').map(Number);
    return { x, y, width, height };
}

function place(element, { x, y, width, height }) {
    Object.assign(element.style, {
        left: `${x}px`, top: `${y}px`, width: `${width}px`, height: `${height}px`,
    });
}

function label(title, just, box) {
    const element = document.createElement('div');
    element.className = 'quorlin-label';
    element.textContent = title;
    element.style.justifyContent = just === 'right' ? 'flex-end' : just === 'center' ? 'center' : 'flex-start';
    place(element, box);
    return element;
}

// A value box for one parameter: a horizontal bar with its value as text over it.
function valueBox(node, info, tip, box, text) {
    const element = document.createElement('div');
    element.className = 'quorlin-valuebox';
    element.tabIndex = 0;
    element.title = tip;
    element.setAttribute('role', 'slider');
    element.dataset.parameter = info.id;
    const bar = document.createElement('div');
    bar.className = 'quorlin-valuebar';
    const led = document.createElement('div');
    led.className = 'quorlin-led';
    element.append(bar, led);
    place(element, box);

    const step = 1;
    let value = info.defaultValue;
    const show = (shown) => {
        value = Math.min(info.maxValue, Math.max(info.minValue, shown));
        if (info.type !== 'float') {
            value = Math.round(value);
        }
        const share = (value - info.minValue) / (info.maxValue - info.minValue || 1);
        bar.style.width = `${share * 100}%`;
        led.textContent = text(value);
        element.setAttribute('aria-valuenow', String(value));
        element.setAttribute('aria-valuetext', text(value));
    };
    const set = (wanted) => {
        show(wanted);
        node.setParameterValues({ [info.id]: { id: info.id, value, normalized: false } });
    };
    element.addEventListener('keydown', (event) => {
        const change = { ArrowUp: step, ArrowRight: step, ArrowDown: -step, ArrowLeft: -step,
            PageUp: 10 * step, PageDown: -10 * step }[event.key];
        if (change !== undefined) {
            event.preventDefault();
            set(value + change);
        } else if (event.key === 'Home' || event.key === 'End') {
            event.preventDefault();
            set(event.key === 'Home' ? info.minValue : info.maxValue);
        }
    });
    element.addEventListener('wheel', (event) => {
        event.preventDefault();
        set(value + (event.deltaY < 0 ? step : -step));
    }, { passive: false });
    element.addEventListener('pointerdown', (event) => {
        element.setPointerCapture(event.pointerId);
        const startX = event.clientX;
        const startValue = value;
        const range = info.maxValue - info.minValue;
        const move = (moved) => set(startValue + ((moved.clientX - startX) / box.width) * range);
        const end = () => {
            element.removeEventListener('pointermove', move);
            element.removeEventListener('pointerup', end);
        };
        element.addEventListener('pointermove', move);
        element.addEventListener('pointerup', end);
    });
    show(value);
    return { element, show };
}

// The options' labels beneath the face, short enough for its label column; the parameter's
// whole label is the value box's tip.
const shortLabels = { chord_window: 'Chord window', cc65_on_change: 'Controller 65',
    glide_source: 'Glide source', interval_limit: 'Interval limit', legato_tolerance: 'Tolerance' };

function textOf(id) {
    if (id === 'portamentoSpeed') {
        return speedText;
    }
    if (id === 'cc65_on_change') {
        return (value) => (value ? 'change' : 'every');
    }
    if (id === 'glide_source') {
        return (value) => (value ? 'on' : 'off');
    }
    if (id === 'interval_limit') {
        return intervalText;
    }
    return (value) => `${Math.round(value)} ms`;
}

export async function createElement(plugin) {
    const node = plugin.audioNode;
    const infos = await node.getParameterInfo();
    const values = await node.getParameterValues(false);
    const skin = new DOMParser().parseFromString(skinDocument, 'application/xml');
    const view = [...skin.getElementsByTagName('template')]
        .find((template) => template.getAttribute('name') === viewName);
    if (!view) {
        throw new Error(`Quorlin: the skin has no template "${viewName}"`);
    }

    const root = document.createElement('div');
    const style = document.createElement('style');
    style.textContent = styleText;
    const face = document.createElement('div');
    face.className = 'quorlin-face';
    const background = new Image();
    background.src = bitmaps[view.getAttribute('background')];
    await background.decode();
    Object.assign(face.style, {
        width: `${background.naturalWidth}px`, height: `${background.naturalHeight}px`,
        backgroundImage: `url(${background.src})`,
    });
    root.append(style, face);

    const boxes = {};
    let faceWidth = background.naturalWidth;
    for (const element of view.children) {
        const box = boxOf(element.getAttribute('size') || '0,0,0,0');
        if (element.tagName === 'valuebox') {
            const id = element.getAttribute('name');
            if (infos[id]) {
                boxes[id] = valueBox(node, infos[id], element.getAttribute('tip'), box, textOf(id));
                face.append(boxes[id].element);
            }
        } else if (element.tagName === 'label') {
            face.append(label(element.getAttribute('title'), element.getAttribute('just'), box));
        } else if (element.tagName === 'image') {
            const image = new Image();
            image.src = bitmaps[element.getAttribute('bitmap')];
            image.style.position = 'absolute';
            place(image, { ...box, width: undefined, height: undefined });
            face.append(image);
        }
        faceWidth = Math.max(faceWidth, box.x + box.width);
    }

    // The playing options beneath, a row each, placed as the face places its value box.
    const shown = view.getElementsByTagName('valuebox')[0];
    const speedBox = boxOf(shown.getAttribute('size'));
    const labelBox = boxOf(view.getElementsByTagName('label')[0].getAttribute('size'));
    const options = document.createElement('div');
    options.className = 'quorlin-options';
    const others = Object.keys(infos).filter((id) => !boxes[id]);
    const rowHeight = speedBox.height + 6;
    Object.assign(options.style, { width: `${faceWidth}px`, height: `${others.length * rowHeight + 6}px` });
    others.forEach((id, row) => {
        const top = 3 + row * rowHeight;
        boxes[id] = valueBox(node, infos[id], infos[id].label, { ...speedBox, y: top }, textOf(id));
        options.append(boxes[id].element,
            label(shortLabels[id] ?? infos[id].label, 'left', { ...labelBox, y: top }));
    });
    if (others.length) {
        root.append(options);
    }

    for (const [id, box] of Object.entries(boxes)) {
        if (values[id]) {
            box.show(values[id].value);
        }
    }
    // Automation and other views reach the boxes through the node's events.
    node.addEventListener('wam-automation', (event) => {
        const { id, value } = event.detail.data;
        if (boxes[id]) {
            boxes[id].show(value);
        }
    });
    return root;
}
