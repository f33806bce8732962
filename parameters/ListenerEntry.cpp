#include "ListenerEntry.h"

namespace quorlin {

ListenerEntry::~ListenerEntry() {
    listener->Release();
}

} // namespace quorlin
