#include "NodeList.h"

namespace quorlin {

NodeList::~NodeList() {
    destroyAll();
}

void NodeList::append(ListNode* node) {
    // A node taken out of another list still carries its old links; start it clean.
    node->next = nullptr;
    node->previous = nullptr;
    if (head == nullptr) {
        head = node;
    } else {
        ListNode* last = head;
        while (last->next != nullptr) {
            last = last->next;
        }
        last->next = node;
        node->previous = last;
    }
    ++nodeCount;
}

bool NodeList::unlink(ListNode* node) {
    ListNode* found = head;
    while (found != nullptr && found != node) {
        found = found->next;
    }
    if (found == nullptr) {
        return false;
    }
    if (node->previous != nullptr) {
        node->previous->next = node->next;
    }
    if (node->next != nullptr) {
        node->next->previous = node->previous;
    }
    if (head == node) {
        head = node->next;
    }
    --nodeCount;
    return true;
}

ListNode* NodeList::nodeAt(std::int32_t index) const {
    if (index < 0) {
        return nullptr;
    }
    ListNode* node = head;
    for (std::int32_t i = 0; node != nullptr && i < index; ++i) {
        node = node->next;
    }
    return node;
}

void NodeList::destroyAll() {
    // Always take the current head: destroying one node may run code (a listener's Release)
    // that destroys other nodes of this list, so a remembered successor could be gone.
    while (head != nullptr) {
        ListNode* node = head;
        unlink(node);
        delete node;
    }
}

} // namespace quorlin
