#include "dynamic/handle.h"

#include <dlfcn.h>

namespace Orvanta::Dynamic {

int Handle::flags() {
#if defined(ORVANTA_NO_DEEPBIND) && ORVANTA_NO_DEEPBIND
    // AddressSanitizer refuses libraries opened with RTLD_DEEPBIND
    return RTLD_NOW;
#else
    return RTLD_NOW | RTLD_DEEPBIND;
#endif
}

Handle::Handle(const char* name) : _handle(::dlopen(name, flags())), _byName(true) {}

Handle::Handle(Process) : _handle(::dlopen(nullptr, flags())), _byName(false) {}

Handle::~Handle() {
    if (_handle) ::dlclose(_handle);
}

} // namespace Orvanta::Dynamic
