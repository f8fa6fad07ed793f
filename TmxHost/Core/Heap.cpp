// The platform heap: C allocations tracked in a table of live blocks with their origin.
#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <unordered_map>

#include "../Control/HostInternal.h"
#include "../Control/TmxHost.h"
#include "CallCommonSvc/Platform/TmxCore.h"

namespace tmxhost {
namespace {

struct Entry {
    std::size_t size;
    std::string path;
    int line;
    unsigned long long serial;
};

struct HeapState {
    std::unordered_map<const void*, Entry> live;
    std::vector<std::string> badFrees;
    unsigned long long nextSerial = 0;
};

HeapState& State() {
    static HeapState state;
    return state;
}

std::string Origin(const char* path, int line) {
    return std::string(path != nullptr ? path : "(null)") + ":" + std::to_string(line);
}

void* Track(void* block, std::size_t size, const char* path, int line) {
    if (block != nullptr) {
        HeapState& state = State();
        state.live[block] = Entry{size, path != nullptr ? path : "", line, state.nextSerial++};
    }
    return block;
}

// Removes a block from the table; false (and a recorded bad free) when it is not live.
bool Untrack(const void* block, const char* path, int line) {
    HeapState& state = State();
    if (state.live.erase(block) == 0) {
        state.badFrees.push_back(Origin(path, line));
        return false;
    }
    return true;
}

}  // namespace

namespace detail {
void* HeapAlloc(std::size_t size, const char* path, int line) {
    return size > (64u << 20) ? nullptr
                              : Track(std::calloc(size == 0 ? 1 : size, 1), size, path, line);
}

std::optional<std::size_t> HeapBlockSize(const void* block) {
    auto found = State().live.find(block);
    if (found == State().live.end()) {
        return std::nullopt;
    }
    return found->second.size;
}

// Blocks still live are forgotten, not freed: an object that leaked may still be referenced.
void ResetHeap() {
    State().live.clear();
    State().badFrees.clear();
}
}  // namespace detail

std::vector<Block> LiveBlocks() {
    std::vector<std::pair<unsigned long long, Block>> sorted;
    for (const auto& [address, entry] : State().live) {
        sorted.push_back({entry.serial, Block{address, entry.size, entry.path, entry.line}});
    }
    std::sort(sorted.begin(), sorted.end(),
              [](const auto& a, const auto& b) { return a.first < b.first; });
    std::vector<Block> blocks;
    for (auto& entry : sorted) {
        blocks.push_back(std::move(entry.second));
    }
    return blocks;
}

const std::vector<std::string>& BadFrees() {
    return State().badFrees;
}

}  // namespace tmxhost

using namespace tmxhost;

// Like a handset's heap, the platform heap has no room for a block beyond this size.
const std::size_t kMaxBlock = 64u << 20;

extern "C" void* MemAllocTraceEx(int, unsigned int size, const char* sourcePath, int line) {
    if (detail::Fault("MemAllocTraceEx") || size > kMaxBlock) {
        return nullptr;
    }
    return Track(std::malloc(size == 0 ? 1 : size), size, sourcePath, line);
}

extern "C" void* MemCallocTraceEx(int, unsigned int count, unsigned int size,
                                  const char* sourcePath, int line) {
    if (detail::Fault("MemCallocTraceEx")) {
        return nullptr;
    }
    std::size_t total = static_cast<std::size_t>(count) * size;
    if (total > kMaxBlock) {
        return nullptr;
    }
    return Track(std::calloc(total == 0 ? 1 : total, 1), total, sourcePath, line);
}

extern "C" void* MemReAllocTraceEx(int heap, void* block, unsigned int size, const char* sourcePath,
                                   int line) {
    if (block == nullptr) {
        return MemAllocTraceEx(heap, size, sourcePath, line);
    }
    if (detail::Fault("MemReAllocTraceEx") || size > kMaxBlock) {
        return nullptr;
    }
    auto it = State().live.find(block);
    if (it == State().live.end()) {
        State().badFrees.push_back(Origin(sourcePath, line));
        return nullptr;
    }
    void* moved = std::realloc(block, size == 0 ? 1 : size);
    if (moved == nullptr) {
        return nullptr;
    }
    Entry entry = it->second;
    State().live.erase(it);
    entry.size = size;
    State().live[moved] = entry;
    return moved;
}

extern "C" void MemFreeTraceMultiHeap(void* block, const char* sourcePath, int line) {
    if (block == nullptr) {
        return;
    }
    if (Untrack(block, sourcePath, line)) {
        std::free(block);
    }
}

extern "C" int _MemIsHeapAddr(const void* block) {
    return block != nullptr && State().live.count(block) != 0 ? 1 : 0;
}
