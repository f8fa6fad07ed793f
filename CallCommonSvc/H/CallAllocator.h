// Standard-container allocator over the library's allocation routing.
#pragma once

#include <stddef.h>

#include <new>

#include "../Platform/MemStub.h"

template <class T>
class CCallAllocator {
public:
    typedef T value_type;

    CCallAllocator() noexcept {}
    template <class U>
    CCallAllocator(const CCallAllocator<U>&) noexcept {}

    // A container cannot proceed without its node: the failure surfaces as std::bad_alloc, which
    // the library's own insertion points catch.
    T* allocate(size_t n) {
        void* p = n <= static_cast<size_t>(-1) / sizeof(T) ? MemStubMalloc(n * sizeof(T)) : NULL;
        if (p == NULL) {
            throw std::bad_alloc();
        }
        return static_cast<T*>(p);
    }
    void deallocate(T* p, size_t) noexcept { MemStubFree(p); }

    template <class U>
    bool operator==(const CCallAllocator<U>&) const noexcept {
        return true;
    }
    template <class U>
    bool operator!=(const CCallAllocator<U>&) const noexcept {
        return false;
    }
};
