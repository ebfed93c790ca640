// What indexing a container returns: an assignment through it becomes a set()
// of a matching field on the container. It must not outlive the container.
#pragma once

#include <string>
#include <utility>

#include "amqp/values/booleanset.h"
#include "amqp/values/stringfield.h"

namespace AMQP {

class Table;

template <typename T, typename I>
class FieldProxy {
public:
    FieldProxy(T* source, I index) : _source(source), _index(std::move(index)) {}

    // assigning one proxy to another would only repoint it, not set anything
    FieldProxy& operator=(const FieldProxy&) = delete;

    // a boolean set with only bit 0 holding the value
    FieldProxy& operator=(bool value) {
        _source->set(_index, BooleanSet(value));
        return *this;
    }
    FieldProxy& operator=(const char* value) {
        _source->set(_index, LongString(value));
        return *this;
    }
    FieldProxy& operator=(const std::string& value) {
        _source->set(_index, LongString(value));
        return *this;
    }
    FieldProxy& operator=(const Table& value) {
        _source->set(_index, value);
        return *this;
    }

private:
    T* _source;
    I _index;
};

} // namespace AMQP
