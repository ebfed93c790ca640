#include <cmath>
#include <cstdint>
#include <limits>
#include <string>

#include <gtest/gtest.h>

#include "amqp/buffers/bytebuffer.h"
#include "amqp/buffers/inbuffer.h"
#include "amqp/buffers/protocolexception.h"
#include "amqp/buffers/reducedbuffer.h"
#include "amqp/tests/oracle.h"
#include "amqp/tests/stringsink.h"

using namespace AMQP;
using AMQP::Test::hex;
using AMQP::Test::python;
using AMQP::Test::StringSink;

TEST(OutBuffer, IntegersAreBigEndianLikePythonStruct) {
    StringSink sink;
    sink.add(uint8_t(0xfe));
    sink.add(int8_t(-2));
    sink.add(uint16_t(0x1234));
    sink.add(int16_t(-2));
    sink.add(uint32_t(1));
    sink.add(int32_t(-300000));
    sink.add(uint64_t(0x0102030405060708ULL));
    sink.add(int64_t(std::numeric_limits<int64_t>::min()));
    EXPECT_EQ(hex(sink.bytes),
              hex(python(
                  "struct.pack('>BbHhIiQq', 0xfe, -2, 0x1234, -2, 1, -300000, 0x0102030405060708, -2**63)")));
}

TEST(OutBuffer, FloatsAndDoublesAreBigEndian) {
    StringSink sink;
    sink.add(1.0);
    sink.add(-2.5f);
    sink.add(3.141592653589793);
    EXPECT_EQ(hex(sink.bytes), "3f f0 00 00 00 00 00 00 c0 20 00 00 40 09 21 fb 54 44 2d 18");
    EXPECT_EQ(hex(sink.bytes), hex(python("struct.pack('>dfd', 1.0, -2.5, 3.141592653589793)")));
}

TEST(OutBuffer, RawBytesCarryNoLength) {
    StringSink sink;
    sink.add("ab\0c", 4);
    sink.add(std::string("xy"));
    EXPECT_EQ(sink.bytes, std::string("ab\0cxy", 6));
}

TEST(InBuffer, ReadsWhatOutBufferWrote) {
    StringSink sink;
    sink.add(uint8_t(200));
    sink.add(int8_t(-100));
    sink.add(uint16_t(65535));
    sink.add(int16_t(-32768));
    sink.add(uint32_t(4000000000u));
    sink.add(int32_t(-5));
    sink.add(uint64_t(18000000000000000000ULL));
    sink.add(int64_t(-7));
    sink.add(0.1f);
    sink.add(-1e300);
    sink.add(std::numeric_limits<double>::infinity());

    ByteBuffer bytes(sink.bytes.data(), sink.bytes.size());
    InBuffer in(bytes);
    EXPECT_EQ(in.nextUint8(), 200);
    EXPECT_EQ(in.nextInt8(), -100);
    EXPECT_EQ(in.nextUint16(), 65535);
    EXPECT_EQ(in.nextInt16(), -32768);
    EXPECT_EQ(in.nextUint32(), 4000000000u);
    EXPECT_EQ(in.nextInt32(), -5);
    EXPECT_EQ(in.nextUint64(), 18000000000000000000ULL);
    EXPECT_EQ(in.nextInt64(), -7);
    EXPECT_EQ(in.nextFloat(), 0.1f);
    EXPECT_EQ(in.nextDouble(), -1e300);
    EXPECT_TRUE(std::isinf(in.nextDouble()));
    EXPECT_EQ(in.available(), 0u);
    EXPECT_EQ(in.consumed(), sink.bytes.size());
}

TEST(InBuffer, DecodesPythonsBigEndianFloats) {
    std::string bytes = python("struct.pack('>fd', 1.5, -0.125)");
    ByteBuffer buffer(bytes.data(), bytes.size());
    InBuffer in(buffer);
    EXPECT_EQ(in.nextFloat(), 1.5f);
    EXPECT_EQ(in.nextDouble(), -0.125);
}

TEST(InBuffer, ReadPastTheEndThrowsAndDoesNotMove) {
    const char bytes[] = {1, 2, 3};
    ByteBuffer buffer(bytes, 3);
    InBuffer in(buffer);
    try {
        in.nextUint32();
        FAIL() << "read of 4 bytes from 3 succeeded";
    } catch (const ProtocolException& e) {
        EXPECT_STREQ(e.what(), "frame out of range");
    }
    EXPECT_EQ(in.consumed(), 0u);
    EXPECT_EQ(in.nextUint16(), 0x0102);
    EXPECT_THROW(in.nextUint16(), ProtocolException);
    EXPECT_THROW(in.nextDouble(), ProtocolException);
    EXPECT_THROW(in.nextData(2), ProtocolException);
    EXPECT_EQ(in.nextUint8(), 3);
    EXPECT_THROW(in.nextUint8(), ProtocolException);
    EXPECT_THROW(in.nextData(std::numeric_limits<size_t>::max()), ProtocolException);
    // an empty read at the end is fine
    EXPECT_NO_THROW(in.nextData(0));
}

TEST(InBuffer, NextDataPointsIntoTheBuffer) {
    const char bytes[] = "abcdef";
    ByteBuffer buffer(bytes, 6);
    InBuffer in(buffer);
    in.nextUint8();
    const char* data = in.nextData(3);
    EXPECT_EQ(data, bytes + 1);
    EXPECT_EQ(in.consumed(), 4u);
}

TEST(ReducedBuffer, StartsAtTheOffset) {
    const char bytes[] = "abcdef";
    ByteBuffer buffer(bytes, 6);
    ReducedBuffer reduced(buffer, 2);
    EXPECT_EQ(reduced.size(), 4u);
    EXPECT_EQ(reduced.byte(0), 'c');
    EXPECT_EQ(reduced.data(1, 2), bytes + 3);
    char out[3] = {};
    reduced.copy(1, 3, out);
    EXPECT_EQ(std::string(out, 3), "def");

    InBuffer in(reduced);
    EXPECT_EQ(in.nextUint16(), ('c' << 8) | 'd');
    EXPECT_EQ(in.available(), 2u);

    // an offset past the end leaves nothing rather than a wrapped size
    ReducedBuffer beyond(buffer, 10);
    EXPECT_EQ(beyond.size(), 0u);
    InBuffer none(beyond);
    EXPECT_THROW(none.nextUint8(), ProtocolException);
}

TEST(ByteBuffer, MovingEmptiesTheSource) {
    const char bytes[] = "xyz";
    ByteBuffer first(bytes, 3);
    ByteBuffer second(std::move(first));
    EXPECT_EQ(first.size(), 0u);
    EXPECT_EQ(second.size(), 3u);
    EXPECT_EQ(second.byte(2), 'z');
    ByteBuffer third(nullptr, 0);
    third = std::move(second);
    EXPECT_EQ(second.size(), 0u);
    EXPECT_EQ(third.data(0, 3), bytes);
}

TEST(ProtocolException, IsAnAmqpExceptionAndARuntimeError) {
    try {
        throw ProtocolException("bad bytes");
    } catch (const std::runtime_error& e) {
        EXPECT_STREQ(e.what(), "bad bytes");
        EXPECT_NE(dynamic_cast<const Exception*>(&e), nullptr);
    }
}
