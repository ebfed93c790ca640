// The bytes a value writes, checking that size() announced exactly as many:
// frames are allocated from size(), so a mismatch corrupts them.
#pragma once

#include <string>

#include <gtest/gtest.h>

#include "amqp/tests/stringsink.h"

namespace AMQP::Test {

template <typename Value>
std::string encoded(const Value& value) {
    StringSink sink;
    value.fill(sink);
    EXPECT_EQ(sink.bytes.size(), value.size()) << "size() must match what fill() writes";
    return sink.bytes;
}

} // namespace AMQP::Test
