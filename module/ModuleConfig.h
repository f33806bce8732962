#pragma once

#include <cstdint>

namespace quorlin {

// What a product class tells the module base about itself, fixed for the instance's life.
struct ModuleConfig {
    // What getModuleInfo reports.
    std::int32_t moduleInfoValue = 0;
    // The raw-data resource that holds the skin description of both views.
    std::int32_t skinResourceId = 0;
    // Whether QueryInterface answers ClassIdentityInterfaceId.
    bool exposeClassIdentity = false;
};

} // namespace quorlin
