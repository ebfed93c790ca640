// Whether a shared object is resident in this process, asked without loading it.
#pragma once

#include <dlfcn.h>

namespace Orvanta::Dynamic::Test {

inline bool loaded(const char* path) {
    void* handle = ::dlopen(path, RTLD_NOW | RTLD_NOLOAD);
    if (!handle) {
        ::dlerror();
        return false;
    }
    ::dlclose(handle);
    return true;
}

} // namespace Orvanta::Dynamic::Test
