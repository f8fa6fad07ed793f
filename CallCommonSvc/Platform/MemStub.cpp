#include "MemStub.h"

#include <dlfcn.h>
#include <limits.h>

#include "TmxCore.h"

namespace {

const char kSourcePath[] = "System\\MemMgr\\MemStub\\MemMemoryStub";
// The process's own C library, looked up by name like any other module.
const char kCRuntime[] = "libc.so.6";

// Loaded on first use and kept for every later call.
struct CRuntime {
    void* hModule;
    void* (*pMalloc)(size_t);
    void (*pFree)(void*);
    void* (*pCalloc)(size_t, size_t);
    void* (*pRealloc)(void*, size_t);
};
CRuntime g_crt;

template <class Fn>
Fn CRuntimeFunction(Fn& slot, const char* name) {
    if (slot == NULL) {
        if (g_crt.hModule == NULL) {
            g_crt.hModule = dlopen(kCRuntime, RTLD_NOW);
        }
        if (g_crt.hModule != NULL) {
            slot = reinterpret_cast<Fn>(dlsym(g_crt.hModule, name));
        }
    }
    return slot;
}

bool PlatformHeapRunning() {
    return SysGetModuleStatus(TMX_MODULE_MEMORY) != 0;
}

// The platform heap takes 32-bit sizes.
bool FitsPlatformSize(size_t size) {
    return size <= UINT_MAX;
}

}  // namespace

void* MemStubMalloc(size_t size) {
    if (!PlatformHeapRunning()) {
        void* (*pMalloc)(size_t) = CRuntimeFunction(g_crt.pMalloc, "malloc");
        return pMalloc != NULL ? pMalloc(size) : NULL;
    }
    if (!FitsPlatformSize(size)) {
        return NULL;
    }
    return MemAllocTraceEx(0, static_cast<unsigned int>(size), kSourcePath, 41);
}

void MemStubFree(void* block) {
    if (!PlatformHeapRunning() || !_MemIsHeapAddr(block)) {
        void (*pFree)(void*) = CRuntimeFunction(g_crt.pFree, "free");
        if (pFree != NULL) {
            pFree(block);
        }
        return;
    }
    MemFreeTraceMultiHeap(block, kSourcePath, 78);
}

void* MemStubCalloc(size_t count, size_t size) {
    if (!PlatformHeapRunning()) {
        void* (*pCalloc)(size_t, size_t) = CRuntimeFunction(g_crt.pCalloc, "calloc");
        return pCalloc != NULL ? pCalloc(count, size) : NULL;
    }
    if (!FitsPlatformSize(count) || !FitsPlatformSize(size)) {
        return NULL;
    }
    return MemCallocTraceEx(0, static_cast<unsigned int>(count), static_cast<unsigned int>(size),
                            kSourcePath, 104);
}

void* MemStubRealloc(void* block, size_t size) {
    if (!PlatformHeapRunning() || (block != NULL && !_MemIsHeapAddr(block))) {
        void* (*pRealloc)(void*, size_t) = CRuntimeFunction(g_crt.pRealloc, "realloc");
        return pRealloc != NULL ? pRealloc(block, size) : NULL;
    }
    if (!FitsPlatformSize(size)) {
        return NULL;
    }
    return MemReAllocTraceEx(0, block, static_cast<unsigned int>(size), kSourcePath, 142);
}
