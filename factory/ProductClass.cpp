#include "ProductClass.h"

#include "product/QuorlinModule.h"

#include <new>

namespace quorlin {

const FactoryInfo productFactoryInfo = {
    "Tessivar",
    "https://www.tessivar.com/quorlin",
    "mailto:support@tessivar.com",
    0,
};

const ClassInfo productClassInfo = {
    {0xD1, 0x47, 0x2B, 0x9E, 0x3C, 0x6A, 0x85, 0x4F, 0xB1, 0xD0, 0x27, 0xC5, 0xE8, 0xA9, 0x4F,
     0x3B},
    0x7FFFFFFF,
    "Midi Module Class",
    "Quorlin",
};

UnknownInterface* createProductInstance(void* userData) {
    try {
        return static_cast<ModuleInterface*>(new QuorlinModule(userData));
    } catch (const std::bad_alloc&) {
        return nullptr; // the factory answers "no such interface"; nothing throws into the host
    }
}

} // namespace quorlin
