#include "InterfaceMap.h"

namespace quorlin {

ResultCode answerQueryInterface(const InterfaceIdBytes* requested, void** out,
                                std::span<const InterfaceMapEntry> rows, UnknownInterface& self) {
    if (out == nullptr) {
        return resultInvalidArgument;
    }
    if (requested == nullptr) {
        *out = nullptr;
        return resultInvalidArgument;
    }
    for (const InterfaceMapEntry& row : rows) {
        if (row.id->matches(requested)) {
            self.AddRef();
            *out = row.pointer;
            return resultOk;
        }
    }
    *out = nullptr;
    return resultNoInterface;
}

} // namespace quorlin
