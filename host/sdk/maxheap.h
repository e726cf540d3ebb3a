// The host's heap operators. Every SDK base class derives from MaxHeapOperators so
// that objects made in one module can be deleted in another.
#pragma once

#include "maxexport.h"

#include <cstddef>
#include <new>

class UtilExport MaxHeapOperators {
public:
    static void* operator new(std::size_t size);
    static void* operator new(std::size_t size, const std::nothrow_t&) noexcept;
    static void* operator new[](std::size_t size);
    static void* operator new[](std::size_t size, const std::nothrow_t&) noexcept;
    static void* operator new(std::size_t, void* place) noexcept { return place; }
    static void operator delete(void* ptr) noexcept;
    static void operator delete(void* ptr, const std::nothrow_t&) noexcept;
    static void operator delete[](void* ptr) noexcept;
    static void operator delete[](void* ptr, const std::nothrow_t&) noexcept;
    static void operator delete(void*, void*) noexcept {}
};
