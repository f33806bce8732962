// libFuzzer entry: host call sequences against the reference model.

#include "CallSequence.h"

#include <cstdio>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const quorlin::reliability::ReferenceSkin skin(QUORLIN_RESOURCE_DIR);
    quorlin::reliability::CallSequence sequence(skin);
    std::string mismatch = sequence.run(data, size);
    if (!mismatch.empty()) {
        std::fprintf(stderr, "model mismatch: %s\n", mismatch.c_str());
        std::abort(); // libFuzzer keeps the input as a crash
    }
    return 0;
}
