#pragma once

#include <lv2/urid/urid.h>

#include <mutex>
#include <string>
#include <vector>

namespace quorlin::testing {

// The urid:map feature of the test host: URIs numbered from 1 in order of first use.
class UridMap {
public:
    UridMap();
    UridMap(const UridMap&) = delete;
    UridMap& operator=(const UridMap&) = delete;

    LV2_URID map(const char* uri);
    LV2_URID_Map* feature() { return &mapFeature; }

private:
    static LV2_URID mapUri(LV2_URID_Map_Handle handle, const char* uri);

    std::mutex lock;
    std::vector<std::string> uris;
    LV2_URID_Map mapFeature;
};

} // namespace quorlin::testing
