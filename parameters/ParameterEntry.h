#pragma once

#include "ListNode.h"
#include "component/ParameterInterface.h"

#include <cstddef>

namespace quorlin {

// One named parameter of a ParameterList. Holds the reference the list was handed and gives
// it back when destroyed.
class ParameterEntry final : public ListNode {
public:
    static constexpr std::size_t nameCapacity = 256; // 255 characters and the terminating zero

    // Takes over one reference to `parameter`; a longer name keeps its first 255 characters.
    ParameterEntry(ParameterInterface* held, const char* text);
    ~ParameterEntry() override;

    ParameterInterface* const parameter;
    char name[nameCapacity];
};

} // namespace quorlin
