// Allocation routing: every dynamic allocation of the library goes through these four.
// Until the platform heap runs they use the C runtime's allocator; afterwards the platform heap.
#pragma once

#include <stddef.h>

void* MemStubMalloc(size_t size);
void MemStubFree(void* block);
void* MemStubCalloc(size_t count, size_t size);
void* MemStubRealloc(void* block, size_t size);

// Class-scope allocation functions that route objects through MemStub. They are non-throwing,
// so a failed allocation makes the new-expression yield null without running the constructor.
// Declared in the class, defined out of line in the library (the routing itself is not exported).
#define CALL_MEMSTUB_OPERATORS                       \
    static void* operator new(size_t size) noexcept; \
    static void operator delete(void* block) noexcept;

#define CALL_DEFINE_MEMSTUB_OPERATORS(Class)            \
    void* Class::operator new(size_t size) noexcept {   \
        return MemStubMalloc(size);                     \
    }                                                   \
    void Class::operator delete(void* block) noexcept { \
        MemStubFree(block);                             \
    }

// The same for class templates, which the library instantiates itself.
#define CALL_MEMSTUB_TEMPLATE_OPERATORS                 \
    static void* operator new(size_t size) noexcept {   \
        return MemStubMalloc(size);                     \
    }                                                   \
    static void operator delete(void* block) noexcept { \
        MemStubFree(block);                             \
    }
