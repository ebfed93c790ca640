// A stage in the middle of a push chain: transforms what it is given and
// pushes the result on to the next stage, which it does not own.
#pragma once

#include "filter/result.h"

namespace Orvanta::Filter {

class Filter : public Result {
public:
    explicit Filter(Result* next) : next(next) {}

    using Result::append;
    size_t append(const char* data, size_t size, bool persistent) override {
        return process(data, size, persistent);
    }
    size_t flush() override { return next->flush(); }

    // Concrete filters override this one; by default bytes pass unchanged.
    virtual size_t process(const char* data, size_t size, bool persistent) {
        return next->append(data, size, persistent);
    }
    // A zero-terminated text.
    virtual size_t process(const char* text, bool persistent);
    // Without this, process(data, size) would silently turn the size into
    // the persistent flag of the overload above.
    template <typename T>
    size_t process(const char*, T) = delete;
    virtual size_t process(const std::string& text);
    virtual size_t process(std::istream& stream);

protected:
    Result* next;
};

} // namespace Orvanta::Filter
