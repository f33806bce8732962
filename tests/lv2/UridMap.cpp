#include "UridMap.h"

namespace quorlin::testing {

UridMap::UridMap() : mapFeature{this, &UridMap::mapUri} {}

LV2_URID UridMap::map(const char* uri) {
    std::lock_guard guard(lock);
    for (std::size_t index = 0; index < uris.size(); ++index) {
        if (uris[index] == uri) {
            return static_cast<LV2_URID>(index + 1);
        }
    }
    uris.emplace_back(uri);
    return static_cast<LV2_URID>(uris.size());
}

LV2_URID UridMap::mapUri(LV2_URID_Map_Handle handle, const char* uri) {
    return static_cast<UridMap*>(handle)->map(uri);
}

} // namespace quorlin::testing
