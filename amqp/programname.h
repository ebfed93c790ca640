// The path of the running program, as the link /proc/self/exe gives it; the
// empty text when that cannot be read.
#pragma once

#include <cstddef>

namespace AMQP {

class ProgramName {
public:
    ProgramName();

    bool valid() const { return _valid; }
    operator const char*() const { return _valid ? _path : ""; }

private:
    static constexpr size_t capacity = 4096;
    char _path[capacity];
    bool _valid = false;
};

} // namespace AMQP
