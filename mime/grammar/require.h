// Checks that the text starts with an expected separator; consumes nothing and
// throws "missing " followed by the character when it is not there.
#pragma once

#include <cstddef>

namespace Orvanta::Mime {

class Require {
public:
    Require() = default;
    Require(const char* data, size_t size, char expected);
};

} // namespace Orvanta::Mime
