// Sink that appends everything it receives to a caller's std::string.
#pragma once

#include "filter/result.h"

#include <string>

namespace Orvanta::Filter {

class String : public Result {
public:
    explicit String(std::string* target) : _target(target) {}

    using Result::append;
    size_t append(const char* data, size_t size, bool) override {
        _target->append(data, size);
        return size;
    }

private:
    std::string* _target;
};

} // namespace Orvanta::Filter
