// Loads the call common service the way the platform's module manager does.
#pragma once

#include <string>

namespace callsvc {

class Module {
public:
    Module() = default;
    ~Module();  // unloads if still loaded

    // dlopen the library, then CallCommonSvcDispatch(0). False with a message on failure.
    bool Load(std::string& error);
    // CallCommonSvcDispatch(1), then dlclose.
    void Unload();

    int loadResult() const { return m_loadResult; }

    Module(const Module&) = delete;
    Module& operator=(const Module&) = delete;

private:
    void* m_handle = nullptr;
    int (*m_dispatch)(int) = nullptr;
    int m_loadResult = 0;
};

// The library's path: $CALLSVC_LIBRARY, else the file of the library this program is linked with.
std::string LibraryPath();

}  // namespace callsvc
