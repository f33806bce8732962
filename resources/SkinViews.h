#pragma once

#include "component/ResultCode.h"

#include <cstdint>

namespace quorlin {

// The two views the host draws from the skin description; also the template names in it.
inline constexpr char editorViewName[] = "editor";
inline constexpr char inspectorViewName[] = "inspector";

// True for exactly "editor" or "inspector": same case, nothing before or after.
bool isViewName(const char* name);

// For a view name, copies that name (with its zero) into `templateName` when given, then loads
// the skin description resource `skinResourceId` into `data` and reports its size.
// resultOk when the description exists (and, given a buffer, was copied); resultFalse otherwise,
// and for any other view name without writing anything.
ResultCode loadSkinDescription(const char* viewName, std::int32_t skinResourceId,
                               char* templateName, void* data, std::uint32_t* size);

// Loads the resource whose number `path` holds as leading decimal text (as the skin
// description's bitmap paths give it). resultOk when it exists, resultFalse otherwise.
ResultCode loadSkinResource(const char* path, void* data, std::uint32_t* size);

} // namespace quorlin
