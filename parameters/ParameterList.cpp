#include "ParameterList.h"

#include "Parameter.h"
#include "ParameterEntry.h"

#include <cstring>
#include <memory>

namespace quorlin {

namespace {

ParameterEntry* entryOf(ListNode* node) {
    return static_cast<ParameterEntry*>(node);
}

} // namespace

ParameterList::~ParameterList() {
    // All are detached before any is released: a release may run host code, and a parameter
    // the host still holds must never call into the module being destroyed.
    for (ListNode* node = entries.first(); node != nullptr; node = node->nextNode()) {
        Parameter::fromInterface(entryOf(node)->parameter)->forgetOwner(owner);
    }
    entries.destroyAll();
}

void ParameterList::setOwner(ParameterOwnerInterface* newOwner) {
    owner = newOwner;
}

ParameterInterface* ParameterList::addParameter(ParameterInterface* parameter, std::int32_t tag,
                                                const char* name) {
    // Allocated before anything changes, so running out of memory leaves the parameter as it
    // was: not attached, not listed, the caller's reference still the caller's.
    auto entry = std::make_unique<ParameterEntry>(parameter, name);
    if (owner != nullptr) {
        parameter->attach(owner, tag);
    }
    entries.append(entry.release());
    return parameter;
}

ParameterInterface* ParameterList::findByName(const char* name) const {
    for (ListNode* node = entries.first(); node != nullptr; node = node->nextNode()) {
        if (std::strcmp(entryOf(node)->name, name) == 0) {
            return entryOf(node)->parameter;
        }
    }
    return nullptr;
}

ParameterInterface* ParameterList::findByTag(std::int32_t tag) const {
    for (ListNode* node = entries.first(); node != nullptr; node = node->nextNode()) {
        ParameterInterface* parameter = entryOf(node)->parameter;
        if (Parameter::fromInterface(parameter)->attachedTag() == tag) {
            return parameter;
        }
    }
    return nullptr;
}

std::int32_t ParameterList::parameterCount() const {
    return entries.count();
}

bool ParameterList::nameAt(std::int32_t index, char* buffer128) const {
    ListNode* node = entries.nodeAt(index);
    if (node == nullptr) {
        return false;
    }
    const char* name = entryOf(node)->name;
    std::size_t length = strnlen(name, nameBufferSize - 1);
    std::memcpy(buffer128, name, length);
    std::memset(buffer128 + length, 0, nameBufferSize - length);
    return true;
}

} // namespace quorlin
