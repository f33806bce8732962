#pragma once

#include "InterfaceId.h"
#include "ResultCode.h"
#include "UnknownInterface.h"

#include <initializer_list>
#include <span>

namespace quorlin {

// One row of an object's ordered answer to QueryInterface.
struct InterfaceMapEntry {
    const InterfaceId* id;
    void* pointer;
};

// Answers QueryInterface from an ordered table: the first matching row wins and adds one
// reference to `self`; no match stores null and leaves the count alone. A null `out` or
// `requested` is an invalid argument, with null stored through a given `out`.
ResultCode answerQueryInterface(const InterfaceIdBytes* requested, void** out,
                                std::span<const InterfaceMapEntry> rows, UnknownInterface& self);

inline ResultCode answerQueryInterface(const InterfaceIdBytes* requested, void** out,
                                       std::initializer_list<InterfaceMapEntry> rows,
                                       UnknownInterface& self) {
    return answerQueryInterface(requested, out, std::span(rows.begin(), rows.size()), self);
}

} // namespace quorlin
