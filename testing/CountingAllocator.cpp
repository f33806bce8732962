#include "CountingAllocator.h"

#include <cstdlib>
#include <new>

namespace quorlin::testing {

namespace {

std::int64_t allocations = 0;
bool failing = false;
int successesLeft = 0;

void* allocate(std::size_t size) {
    if (failing) {
        if (successesLeft == 0) {
            throw std::bad_alloc();
        }
        --successesLeft;
    }
    ++allocations;
    if (void* memory = std::malloc(size == 0 ? 1 : size)) {
        return memory;
    }
    throw std::bad_alloc();
}

} // namespace

std::int64_t allocationCount() {
    return allocations;
}

void failAllocationsAfter(int successes) {
    failing = true;
    successesLeft = successes;
}

void stopFailingAllocations() {
    failing = false;
}

} // namespace quorlin::testing

void* operator new(std::size_t size) {
    return quorlin::testing::allocate(size);
}
void* operator new[](std::size_t size) {
    return quorlin::testing::allocate(size);
}
void* operator new(std::size_t size, const std::nothrow_t&) noexcept {
    try {
        return quorlin::testing::allocate(size);
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
}
void* operator new[](std::size_t size, const std::nothrow_t&) noexcept {
    return operator new(size, std::nothrow);
}
void operator delete(void* memory, const std::nothrow_t&) noexcept {
    std::free(memory);
}
void operator delete[](void* memory, const std::nothrow_t&) noexcept {
    std::free(memory);
}
void operator delete(void* memory) noexcept {
    std::free(memory);
}
void operator delete[](void* memory) noexcept {
    std::free(memory);
}
void operator delete(void* memory, std::size_t) noexcept {
    std::free(memory);
}
void operator delete[](void* memory, std::size_t) noexcept {
    std::free(memory);
}
