// Typed callables bound by name to an entry point of a run-time library:
// OptionalFunction may stay unbound, Function throws when the name is missing.
#pragma once

#include "dynamic/library.h"

#include <functional>
#include <memory>
#include <string>

namespace Orvanta::Dynamic {

namespace Detail {
// Looks `name` up in the handle (no lookup when it holds nothing). When the
// result is null and `reason` is given, it receives the pending dlerror()
// text; a failed lookup's text is consumed either way.
void* lookup(const Handle* handle, const char* name, std::string* reason);
// "Method <name> not found <reason>"
[[noreturn]] void notFound(const char* name, const std::string& reason);
} // namespace Detail

template <typename Signature>
class OptionalFunction;
template <typename Signature>
class Function;

template <typename R, typename... Args>
class OptionalFunction<R(Args...)> {
public:
    OptionalFunction(const Library& library, const char* name) : OptionalFunction(library, name, nullptr) {}

    explicit operator bool() const { return _function != nullptr; }

    R operator()(Args... args) const {
        if (!_function) throw std::bad_function_call();
        return _function(args...);
    }

private:
    friend class Function<R(Args...)>;

    OptionalFunction(const Library& library, const char* name, std::string* reason)
        : _handle(library.handle()) {
        _function = reinterpret_cast<R (*)(Args...)>(Detail::lookup(_handle.get(), name, reason));
    }

    std::shared_ptr<Handle> _handle;
    R (*_function)(Args...) = nullptr;
};

template <typename R, typename... Args>
class Function<R(Args...)> {
public:
    Function(const Library& library, const char* name) : _function(makeBound(library, name)) {}

    R operator()(Args... args) const { return _function(args...); }

private:
    static OptionalFunction<R(Args...)> makeBound(const Library& library, const char* name) {
        std::string reason;
        OptionalFunction<R(Args...)> bound(library, name, &reason);
        if (!bound) Detail::notFound(name, reason);
        return bound;
    }

    OptionalFunction<R(Args...)> _function;
};

} // namespace Orvanta::Dynamic
