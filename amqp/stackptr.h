// Room for one object of type T inside the owner itself: constructed and
// destroyed on demand, never allocated on the heap.
#pragma once

#include <new>
#include <utility>

namespace AMQP {

template <typename T>
class stack_ptr {
public:
    stack_ptr() = default;
    stack_ptr(const stack_ptr&) = delete;
    stack_ptr& operator=(const stack_ptr&) = delete;
    ~stack_ptr() { reset(); }

    // destroys what is held, then builds a new T in place
    template <typename... Arguments>
    T& construct(Arguments&&... arguments) {
        reset();
        T* object = new (&_storage) T(std::forward<Arguments>(arguments)...);
        _constructed = true;
        return *object;
    }

    void reset() {
        if (!_constructed) return;
        _constructed = false;
        get()->~T();
    }

    explicit operator bool() const { return _constructed; }
    T* get() { return std::launder(reinterpret_cast<T*>(&_storage)); }
    const T* get() const { return std::launder(reinterpret_cast<const T*>(&_storage)); }
    T& operator*() { return *get(); }
    T* operator->() { return get(); }

private:
    alignas(T) unsigned char _storage[sizeof(T)];
    bool _constructed = false;
};

} // namespace AMQP
