#include "dynamic/function.h"

#include <dlfcn.h>
#include <stdexcept>

namespace Orvanta::Dynamic::Detail {

namespace {
std::string pendingError() {
    const char* text = ::dlerror();
    return text ? text : "";
}
} // namespace

void* lookup(const Handle* handle, const char* name, std::string* reason) {
    if (!handle || !handle->handle()) {
        // nothing to look in: what is pending is why the library did not open
        if (reason) *reason = pendingError();
        return nullptr;
    }
    void* address = ::dlsym(handle->handle(), name);
    if (!address) {
        // read the text even when nobody wants it, so that it cannot end up
        // in the error of a later, unrelated binding
        std::string text = pendingError();
        if (reason) *reason = std::move(text);
    }
    return address;
}

void notFound(const char* name, const std::string& reason) {
    throw std::runtime_error(std::string("Method ") + name + " not found " + reason);
}

} // namespace Orvanta::Dynamic::Detail
