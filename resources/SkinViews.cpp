#include "SkinViews.h"

#include "ResourceLoader.h"
#include "parameters/DecimalText.h"

#include <cstring>

namespace quorlin {

bool isViewName(const char* name) {
    if (name == nullptr) {
        return false;
    }
    return std::strcmp(name, editorViewName) == 0 || std::strcmp(name, inspectorViewName) == 0;
}

ResultCode loadSkinDescription(const char* viewName, std::int32_t skinResourceId,
                               char* templateName, void* data, std::uint32_t* size) {
    if (!isViewName(viewName)) {
        return resultFalse;
    }
    // The host picks the template of this name out of the one document both views share.
    if (templateName != nullptr) {
        std::memcpy(templateName, viewName, std::strlen(viewName) + 1);
    }
    return loadResourceData(nullptr, &skinResourceId, data, size) ? resultOk : resultFalse;
}

ResultCode loadSkinResource(const char* path, void* data, std::uint32_t* size) {
    // Text without a number leaves 0, which names no resource.
    const std::int32_t number = path == nullptr ? 0 : parseDecimal(path).value_or(0);
    return loadResourceData(nullptr, &number, data, size) ? resultOk : resultFalse;
}

} // namespace quorlin
