#pragma once

#include "component/HostReferenceCount.h"

#include <cstdint>

namespace quorlin::testing {

// The reference count of a recording host object and how often AddRef and Release were called
// on it, so that tests can check that every reference the plug-in took came back.
class CountedReferences {
public:
    int addRefs = 0;
    int releases = 0;

    std::int32_t references() const noexcept { return referenceCount.value(); }

protected:
    std::uint32_t countAddRef() noexcept {
        ++addRefs;
        return referenceCount.add();
    }
    std::uint32_t countRelease() noexcept {
        ++releases;
        return referenceCount.drop();
    }

private:
    HostReferenceCount referenceCount;
};

} // namespace quorlin::testing
