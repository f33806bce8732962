#pragma once

#include "component/InterfaceId.h"
#include "component/UnknownInterface.h"

#include <cstring>
#include <utility>

namespace quorlin::host {

// Compares by content; the constants' own comparison lives in the plug-in's code, which the
// host does not link.
inline bool sameInterfaceId(const InterfaceIdBytes* requested, const InterfaceId& known) {
    return requested != nullptr && std::memcmp(requested->bytes, known.data(), 16) == 0;
}

// Owns one reference to an interface and gives it back with Release.
template <typename Interface> class InterfacePointer {
public:
    InterfacePointer() = default;
    // Takes over a reference the caller already holds.
    explicit InterfacePointer(Interface* adopted) : pointer(adopted) {}
    InterfacePointer(const InterfacePointer&) = delete;
    InterfacePointer& operator=(const InterfacePointer&) = delete;
    InterfacePointer(InterfacePointer&& other) noexcept
        : pointer(std::exchange(other.pointer, nullptr)) {}
    InterfacePointer& operator=(InterfacePointer&& other) noexcept {
        if (this != &other) {
            reset();
            pointer = std::exchange(other.pointer, nullptr);
        }
        return *this;
    }
    ~InterfacePointer() { reset(); }

    void reset() {
        if (pointer != nullptr) {
            std::exchange(pointer, nullptr)->Release();
        }
    }

    // Another interface of the same object, or an empty pointer when it is not answered.
    template <typename Other> InterfacePointer<Other> query(const InterfaceId& id) const {
        void* answer = nullptr;
        // Only a success carries a reference; whatever a refusal stored is not ours to release.
        if (pointer == nullptr || pointer->QueryInterface(id.raw(), &answer) != 0) {
            return {};
        }
        return InterfacePointer<Other>(static_cast<Other*>(answer));
    }

    Interface* get() const { return pointer; }
    Interface* operator->() const { return pointer; }
    explicit operator bool() const { return pointer != nullptr; }

private:
    Interface* pointer = nullptr;
};

} // namespace quorlin::host
