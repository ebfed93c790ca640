// An entry point of a library already loaded into the process, looked up by
// name once: the AMQP library binds its libssl this way instead of linking
// it, so that TLS works only where a libssl is in the global symbol scope.
#pragma once

#include <cstdio>
#include <functional>

namespace AMQP {

// What calling an absent entry point throws: a std::bad_function_call that
// names the symbol.
class MissingFunction : public std::bad_function_call {
public:
    explicit MissingFunction(const char* name) {
        std::snprintf(_text, sizeof _text, "libssl function %s not found", name);
    }
    const char* what() const noexcept override { return _text; }

private:
    char _text[96];
};

// the raw lookup: dlsym in handle, or in the process's global scope when it
// is null; null when the symbol is absent
void* lookup(void* handle, const char* name);

template <typename Sig>
class Function;

template <typename Result, typename... Args>
class Function<Result(Args...)> {
public:
    // never throws: an absent symbol shows only when the function is called
    Function(void* handle, const char* name)
        : _name(name), _pointer(reinterpret_cast<Result (*)(Args...)>(lookup(handle, name))) {}
    Function(const Function&) = delete;
    Function& operator=(const Function&) = delete;

    bool valid() const { return _pointer != nullptr; }
    explicit operator bool() const { return valid(); }

    // throws MissingFunction when the symbol was absent
    Result operator()(Args... args) const {
        if (_pointer == nullptr) throw MissingFunction(_name);
        return _pointer(args...);
    }

private:
    const char* _name;
    Result (*_pointer)(Args...);
};

} // namespace AMQP
