// The host's heap: plain malloc and free, so that memory crosses modules safely.
#include "maxheap.h"

#include <cstdlib>

namespace {
void* Allocate(std::size_t size) {
    void* p = std::malloc(size ? size : 1);
    if (!p) throw std::bad_alloc();
    return p;
}
}  // namespace

void* MaxHeapOperators::operator new(std::size_t size) { return Allocate(size); }
void* MaxHeapOperators::operator new(std::size_t size, const std::nothrow_t&) noexcept {
    return std::malloc(size ? size : 1);
}
void* MaxHeapOperators::operator new[](std::size_t size) { return Allocate(size); }
void* MaxHeapOperators::operator new[](std::size_t size, const std::nothrow_t&) noexcept {
    return std::malloc(size ? size : 1);
}
void MaxHeapOperators::operator delete(void* ptr) noexcept { std::free(ptr); }
void MaxHeapOperators::operator delete(void* ptr, const std::nothrow_t&) noexcept {
    std::free(ptr);
}
void MaxHeapOperators::operator delete[](void* ptr) noexcept { std::free(ptr); }
void MaxHeapOperators::operator delete[](void* ptr, const std::nothrow_t&) noexcept {
    std::free(ptr);
}
