#pragma once

namespace quorlin {

class NodeList;

// Base of everything kept in a NodeList: the links live inside the node, so linking never
// allocates. Destroying a node through this base destroys the whole derived object.
class ListNode {
public:
    ListNode() = default;
    ListNode(const ListNode&) = delete;
    ListNode& operator=(const ListNode&) = delete;
    virtual ~ListNode() = default;

    ListNode* nextNode() const { return next; }
    ListNode* previousNode() const { return previous; }

private:
    // Only the list changes the links.
    friend class NodeList;

    ListNode* next = nullptr;
    ListNode* previous = nullptr;
};

} // namespace quorlin
