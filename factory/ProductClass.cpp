#include "ProductClass.h"

#include "product/ProductIdentity.h"
#include "product/QuorlinModule.h"

#include <cstddef>
#include <new>

namespace quorlin {

namespace {

// Copies `text` with its zero into a record's zero-filled field; too long a text does not build.
template <std::size_t fieldSize, std::size_t textSize>
constexpr void copyText(char (&field)[fieldSize], const char (&text)[textSize]) {
    static_assert(textSize <= fieldSize, "the text does not fit its field");
    for (std::size_t i = 0; i < textSize; ++i) {
        field[i] = text[i];
    }
}

constexpr FactoryInfo makeFactoryInfo() {
    FactoryInfo info{};
    copyText(info.vendor, product::vendor);
    copyText(info.webAddress, product::webAddress);
    copyText(info.contactAddress, product::contactAddress);
    info.factoryFlags = 0;
    return info;
}

constexpr ClassInfo makeClassInfo() {
    ClassInfo info{};
    for (std::size_t i = 0; i < product::classIdBytes.size(); ++i) {
        info.classId[i] = product::classIdBytes[i];
    }
    info.cardinality = product::classCardinality;
    copyText(info.category, product::classCategory);
    copyText(info.name, product::className);
    return info;
}

} // namespace

const FactoryInfo productFactoryInfo = makeFactoryInfo();
const ClassInfo productClassInfo = makeClassInfo();

UnknownInterface* createProductInstance(void* userData) {
    try {
        return static_cast<ModuleInterface*>(new QuorlinModule(userData));
    } catch (const std::bad_alloc&) {
        return nullptr; // the factory answers "no such interface"; nothing throws into the host
    }
}

} // namespace quorlin
