#include "Module.h"

#include <dlfcn.h>

#include <cstdio>
#include <cstdlib>

#include "CallCommonSvc/H/CallCommonSvc.h"
#include "TmxHost.h"

namespace callsvc {

std::string LibraryPath() {
    if (const char* path = std::getenv("CALLSVC_LIBRARY"); path != nullptr && path[0] != '\0') {
        return path;
    }
    // The library this program was linked with, wherever the loader found it: the build tree,
    // an install prefix or an unpacked package.
    Dl_info info{};
    if (::dladdr(reinterpret_cast<void*>(&CallCommonSvcDispatch), &info) != 0 &&
        info.dli_fname != nullptr && info.dli_fname[0] != '\0') {
        return info.dli_fname;
    }
    return "libCallCommonSvc.so." + std::to_string(CALLCOMMONSVC_VERSION_MAJOR);
}

Module::~Module() {
    Unload();
}

bool Module::Load(std::string& error) {
    if (m_handle != nullptr) {
        return true;
    }
    std::string path = LibraryPath();
    m_handle = ::dlopen(path.c_str(), RTLD_NOW);
    if (m_handle == nullptr) {
        const char* reason = ::dlerror();
        error = "cannot load " + path + ": " + (reason != nullptr ? reason : "unknown error");
        return false;
    }
    m_dispatch = reinterpret_cast<int (*)(int)>(::dlsym(m_handle, "CallCommonSvcDispatch"));
    if (m_dispatch == nullptr) {
        error = path + " has no CallCommonSvcDispatch";
        ::dlclose(m_handle);
        m_handle = nullptr;
        return false;
    }
    m_loadResult = m_dispatch(0);
    // A settings file of another version, or one that could not be read, was made anew; the
    // platform kept the old one beside it.
    for (const std::string& backup : tmxhost::TakeRegistryBackups()) {
        std::fprintf(stderr,
                     "callsvc: %s was of another version or unreadable and was made anew with "
                     "the defaults; the old file is kept as %s\n",
                     backup.substr(0, backup.size() - 4).c_str(), backup.c_str());
    }
    return true;
}

void Module::Unload() {
    if (m_handle == nullptr) {
        return;
    }
    m_dispatch(1);
    ::dlclose(m_handle);
    m_handle = nullptr;
    m_dispatch = nullptr;
}

}  // namespace callsvc
