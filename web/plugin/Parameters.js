// Quorlin's parameters as the web plug-in shows them: the portamento speed under the name the
// module gives it, the playing options under their LV2 names, each with the range and default
// the legato layer writes once.
import * as ranges from './PlayingRanges.js';

export const parameterConfigurations = {
    portamentoSpeed: {
        label: 'Portamento',
        type: 'int',
        defaultValue: ranges.speedDefault,
        minValue: ranges.speedOff,
        maxValue: ranges.speedHighest,
        discreteStep: 1,
    },
    chord_window: {
        label: 'Chord window',
        type: 'float',
        units: 'ms',
        defaultValue: ranges.chordWindowDefault,
        minValue: ranges.chordWindowLowest,
        maxValue: ranges.chordWindowHighest,
    },
    cc65_on_change: {
        label: 'Controller 65 on change only',
        type: 'boolean',
        defaultValue: 0,
    },
    glide_source: {
        label: 'Glide source',
        type: 'boolean',
        defaultValue: 0,
    },
    interval_limit: {
        label: 'Interval limit',
        type: 'int',
        defaultValue: ranges.intervalLimitDefault,
        minValue: ranges.intervalLimitLowest,
        maxValue: ranges.intervalLimitHighest,
        discreteStep: 1,
    },
    legato_tolerance: {
        label: 'Legato tolerance',
        type: 'float',
        units: 'ms',
        defaultValue: ranges.legatoToleranceDefault,
        minValue: ranges.legatoToleranceLowest,
        maxValue: ranges.legatoToleranceHighest,
    },
};

// The speed as the module shows it: "Off" below 0, else the number.
export function speedText(value) {
    const speed = Math.round(value);
    return speed < 0 ? 'Off' : String(speed);
}

// The interval limit as LV2 names it: "No limit" at the top, else the semitones.
export function intervalText(value) {
    const semitones = Math.round(value);
    return semitones >= ranges.intervalLimitNone ? 'No limit' : String(semitones);
}
