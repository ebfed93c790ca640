// One dlopen result that closes itself: a shared object opened by name, the
// process's own symbols, or nothing when the open failed.
#pragma once

namespace Orvanta::Dynamic {

class Handle {
public:
    // the process's own handle (its executable and what it already loaded)
    struct Process {};

    // holds nothing; counts as opened by name
    Handle() = default;
    // dlopen(name); a failed open leaves the handle null, the reason pending in dlerror()
    explicit Handle(const char* name);
    explicit Handle(Process);
    Handle(const Handle&) = delete;
    Handle& operator=(const Handle&) = delete;
    virtual ~Handle();

    void* handle() const { return _handle; }
    bool byName() const { return _byName; }

    // RTLD_NOW | RTLD_DEEPBIND, without RTLD_DEEPBIND in builds that set ORVANTA_NO_DEEPBIND
    static int flags();

private:
    void* _handle = nullptr;
    bool _byName = true;
};

} // namespace Orvanta::Dynamic
