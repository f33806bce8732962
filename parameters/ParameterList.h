#pragma once

#include "NodeList.h"
#include "component/ParameterInterface.h"

#include <cstddef>
#include <cstdint>

namespace quorlin {

// A module's parameters under a name and a tag, in order of addition. The list gives each one
// the module's owner interface and owns one reference to it. Only parameters built on
// Parameter may be added: the list reads their tag and owner.
class ParameterList {
public:
    static constexpr std::size_t nameBufferSize = 128; // what nameAt writes, zero included

    ParameterList() = default;
    ParameterList(const ParameterList&) = delete;
    ParameterList& operator=(const ParameterList&) = delete;
    // Detaches every parameter from the owner, then gives back the list's references.
    virtual ~ParameterList();

    // Handed to every parameter added from now on; no reference is held.
    void setOwner(ParameterOwnerInterface* owner);

    // Takes over the caller's reference and returns `parameter`, now borrowed. Attaches it to
    // the owner, if one is set, under `tag`. A name longer than 255 characters keeps its first
    // 255. Throws std::bad_alloc with nothing attached or added.
    ParameterInterface* addParameter(ParameterInterface* parameter, std::int32_t tag,
                                     const char* name);

    // First match in order of addition, borrowed, or null. Names compare with case.
    ParameterInterface* findByName(const char* name) const;
    // Unattached parameters carry tag -1.
    ParameterInterface* findByTag(std::int32_t tag) const;
    std::int32_t parameterCount() const;
    // Copies the name into a 128-byte buffer, cut to 127 characters and zero-filled; false,
    // buffer untouched, when no entry has that index.
    bool nameAt(std::int32_t index, char* buffer128) const;

private:
    ParameterOwnerInterface* owner = nullptr;
    NodeList entries; // of ParameterEntry
};

} // namespace quorlin
