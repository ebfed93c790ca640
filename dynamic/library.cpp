#include "dynamic/library.h"

#include <dlfcn.h>

namespace Orvanta::Dynamic {

Library::Library(const char* probe, const char* const* names)
    : _handle(std::make_shared<Handle>(Handle::Process{})) {
    if (_handle->handle()) {
        if (::dlsym(_handle->handle(), probe)) return;
        // the probe is allowed to miss: drop its text so that it cannot show
        // up in the error of some later, unrelated binding
        ::dlerror();
    }
    if (!names || !*names) return;
    openFirst(names);
}

Library::Library(const char* const* names) {
    // an empty list still leaves a handle behind, one that holds nothing
    if (!names || !*names) {
        _handle = std::make_shared<Handle>();
        return;
    }
    openFirst(names);
}

Library::~Library() = default;

void Library::openFirst(const char* const* names) {
    for (; *names; ++names) {
        // Let the held handle go first: closing the process's handle after a
        // failed open would wipe the dlerror() text that tells why the name did
        // not open. What is held here is only ever the process's handle or a
        // failed attempt, so nothing is unloaded by the earlier release.
        _handle.reset();
        _handle = std::make_shared<Handle>(*names);
        if (_handle->handle()) return;
    }
}

} // namespace Orvanta::Dynamic
