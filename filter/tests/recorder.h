// Test sink that keeps every push separately, with its flag, so tests can
// check slicing and the persistent contract as well as the bytes.
#pragma once

#include "filter/result.h"

#include <string>
#include <vector>

namespace Orvanta::Filter::Test {

class Recorder : public Result {
public:
    struct Push {
        std::string bytes;
        bool persistent;
        const char* data;
    };

    using Result::append;
    size_t append(const char* data, size_t size, bool persistent) override {
        pushes.push_back({std::string(data, size), persistent, data});
        bytes.append(data, size);
        return size;
    }
    size_t flush() override {
        ++flushes;
        return 0;
    }

    std::vector<std::string> pieces() const {
        std::vector<std::string> result;
        for (const Push& push : pushes)
            result.push_back(push.bytes);
        return result;
    }

    std::vector<Push> pushes;
    std::string bytes;
    int flushes = 0;
};

} // namespace Orvanta::Filter::Test
