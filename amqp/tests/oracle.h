// Expected encodings computed by an independent program: Python's struct
// module, plus a hex helper for readable comparisons.
#pragma once

#include <string>

#include "testsupport/hex.h"

namespace AMQP::Test {

// the bytes of a Python expression that evaluates to bytes, for instance
// "struct.pack('>d', 1.5)"; struct is imported, and prelude (statements,
// for instance further imports) runs first
std::string python(const std::string& expression, const std::string& prelude = {});

// bytes as lower-case hex pairs separated by blanks ("00 0a ff")
inline std::string hex(const std::string& bytes) {
    return Orvanta::Test::hex(bytes, " ");
}

// the inverse of hex(): blanks are ignored
using Orvanta::Test::unhex;

} // namespace AMQP::Test
