// libFuzzer entry: decimal text against the "%d" model.

#include "DecimalTextCheck.h"

#include <cstdio>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const quorlin::reliability::ReferenceSkin skin(QUORLIN_RESOURCE_DIR);
    std::string mismatch = quorlin::reliability::DecimalTextCheck(skin).run(data, size);
    if (!mismatch.empty()) {
        std::fprintf(stderr, "model mismatch: %s\n", mismatch.c_str());
        std::abort();
    }
    return 0;
}
