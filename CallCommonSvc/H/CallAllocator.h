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

// Stores an owned record under key, freeing the record it replaces. False, with nothing
// stored, when the map cannot allocate its node.
template <class Map>
bool CallMapStore(Map& map, const typename Map::key_type& key, typename Map::mapped_type pObj) {
    typename Map::iterator it = map.find(key);
    if (it != map.end()) {
        MemStubFree(it->second);
        it->second = pObj;
        return true;
    }
    try {
        map.insert(typename Map::value_type(key, pObj));
    } catch (const std::bad_alloc&) {
        return false;
    }
    return true;
}
