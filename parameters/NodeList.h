#pragma once

#include "ListNode.h"

#include <cstdint>

namespace quorlin {

// An intrusive, doubly linked list without a tail pointer; the lists it serves hold a handful
// of nodes. It owns its nodes only in destroyAll, and so in its own destruction.
class NodeList {
public:
    NodeList() = default;
    NodeList(const NodeList&) = delete;
    NodeList& operator=(const NodeList&) = delete;
    virtual ~NodeList();

    ListNode* first() const { return head; }
    std::int32_t count() const { return nodeCount; }

    // Links `node` at the tail. The node must not be in any list.
    void append(ListNode* node);
    // Takes `node` out without destroying it; false when it is not in this list. The node's
    // own links keep their values.
    bool unlink(ListNode* node);
    // Null for a negative index or one not less than count().
    ListNode* nodeAt(std::int32_t index) const;
    // Destroys every node, first to last.
    void destroyAll();

private:
    ListNode* head = nullptr;
    std::int32_t nodeCount = 0;
};

} // namespace quorlin
