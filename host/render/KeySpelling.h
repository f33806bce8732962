#pragma once

#include "host/midi/MidiFile.h"

#include <cstdint>
#include <string>

namespace quorlin::host {

// How the picture names keys: as the file's first key signature spells them, with flats in a
// flat key and sharps otherwise.
class KeySpelling {
public:
    explicit KeySpelling(const MidiFile& file);

    // "C4", "Eb4" or "D#4".
    std::string name(std::uint8_t key) const;

private:
    bool flats = false;
};

} // namespace quorlin::host
