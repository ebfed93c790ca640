// A shared library opened at run time from a list of shared-object names; the
// functions bound from it (function.h) share its handle.
#pragma once

#include "dynamic/handle.h"

#include <memory>

namespace Orvanta::Dynamic {

class Library {
public:
    // Prefers the process's own symbols when `probe` is among them; otherwise
    // opens the first name of the null-terminated list that loads.
    Library(const char* probe, const char* const* names);
    // Opens the first name of the null-terminated list that loads.
    explicit Library(const char* const* names);
    Library(const Library&) = delete;
    Library& operator=(const Library&) = delete;
    virtual ~Library();

    // whether a shared object (or the process itself) is held
    bool valid() const { return _handle && _handle->handle(); }
    const std::shared_ptr<Handle>& handle() const { return _handle; }

private:
    void openFirst(const char* const* names);

    std::shared_ptr<Handle> _handle;
};

} // namespace Orvanta::Dynamic
