#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include <sys/resource.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include "amqp/buffers/bytebuffer.h"
#include "amqp/buffers/inbuffer.h"
#include "amqp/buffers/protocolexception.h"
#include "amqp/tests/encoded.h"
#include "amqp/tests/oracle.h"
#include "amqp/tests/stringsink.h"
#include "amqp/values/envelope.h"
#include "amqp/values/message.h"
#include "amqp/values/metadata.h"

using namespace AMQP;
using AMQP::Test::encoded;
using AMQP::Test::hex;
using AMQP::Test::python;
using AMQP::Test::unhex;

namespace {

MetaData decodeAll(const std::string& bytes) {
    ByteBuffer buffer(bytes.data(), bytes.size());
    InBuffer in(buffer);
    MetaData meta(in);
    EXPECT_EQ(in.available(), 0u);
    return meta;
}

} // namespace

TEST(MetaData, DefaultHasNoProperties) {
    MetaData meta;
    EXPECT_EQ(hex(encoded(meta)), "00 00");
    EXPECT_EQ(meta.size(), 2u);
    EXPECT_FALSE(meta.hasHeaders());
    EXPECT_EQ(meta.contentType(), "");
}

TEST(MetaData, HeadersAndContentEncoding) {
    Table headers;
    headers.set("ab", "xyz");
    MetaData meta;
    meta.setHeaders(headers);
    EXPECT_EQ(hex(encoded(meta)), "20 00 00 00 00 0b 02 61 62 53 00 00 00 03 78 79 7a");
    EXPECT_EQ(meta.size(), 17u);

    meta.setContentEncoding("gzip");
    EXPECT_EQ(hex(encoded(meta)), "60 00 04 67 7a 69 70 00 00 00 0b 02 61 62 53 00 00 00 03 78 79 7a");
    EXPECT_TRUE(meta.hasContentEncoding());
    EXPECT_TRUE(meta.hasHeaders());
}

TEST(MetaData, EveryPropertyInOrderMatchesPythonStruct) {
    MetaData meta;
    // set in reverse to show that the wire order does not follow the calls
    meta.setClusterID("cl");
    meta.setAppID("app");
    meta.setUserID("guest");
    meta.setTypeName("t");
    meta.setTimestamp(1700000000);
    meta.setMessageID("m1");
    meta.setExpiration("60000");
    meta.setReplyTo("rq");
    meta.setCorrelationID("c");
    meta.setPriority(9);
    meta.setDeliveryMode(2);
    meta.setHeaders(Table());
    meta.setContentEncoding("gzip");
    meta.setContentType("text/plain");
    std::string expected = python("struct.pack('>H', 0xfffc) + s(b'text/plain') + s(b'gzip') + "
                                  "struct.pack('>I', 0) + struct.pack('>BB', 2, 9)"
                                  " + s(b'c') + s(b'rq') + s(b'60000') + s(b'm1') + struct.pack('>Q', "
                                  "1700000000) + s(b't') + s(b'guest')"
                                  " + s(b'app') + s(b'cl')",
                                  "def s(b): return struct.pack('>B', len(b)) + b");
    EXPECT_EQ(hex(encoded(meta)), hex(expected));

    MetaData back = decodeAll(expected);
    EXPECT_EQ(hex(encoded(back)), hex(expected));
    EXPECT_EQ(back.contentType(), "text/plain");
    EXPECT_EQ(back.contentEncoding(), "gzip");
    EXPECT_EQ(back.deliveryMode(), 2);
    EXPECT_EQ(back.priority(), 9);
    EXPECT_EQ(back.correlationID(), "c");
    EXPECT_EQ(back.replyTo(), "rq");
    EXPECT_EQ(back.expiration(), "60000");
    EXPECT_EQ(back.messageID(), "m1");
    EXPECT_EQ(back.timestamp(), 1700000000u);
    EXPECT_EQ(back.typeName(), "t");
    EXPECT_EQ(back.userID(), "guest");
    EXPECT_EQ(back.appID(), "app");
    EXPECT_EQ(back.clusterID(), "cl");
    EXPECT_TRUE(back.hasClusterID());
}

TEST(MetaData, ReadsOnlyWhatTheFlagsAnnounce) {
    MetaData stamped = decodeAll(unhex("00 40 00 00 00 00 65 53 f1 00"));
    EXPECT_TRUE(stamped.hasTimestamp());
    EXPECT_FALSE(stamped.hasMessageID());
    EXPECT_FALSE(stamped.hasContentType());
    EXPECT_EQ(stamped.timestamp(), 1700000000u);

    // the continuation bit is kept but announces nothing further
    MetaData continued = decodeAll(unhex("00 01"));
    EXPECT_EQ(hex(encoded(continued)), "00 01");
}

TEST(MetaData, ShortPropertyListIsAProtocolError) {
    for (const char* bytes : {"80 00", "80", "", "00 40 00 00 00", "20 00 00 00 00 05 01 61"}) {
        std::string input = unhex(bytes);
        ByteBuffer buffer(input.data(), input.size());
        InBuffer in(buffer);
        try {
            MetaData meta(in);
            ADD_FAILURE() << "decoded " << bytes;
        } catch (const ProtocolException& e) {
            EXPECT_STREQ(e.what(), "frame out of range") << bytes;
        }
    }
}

TEST(MetaData, OverlongStringPropertyIsRefusedAndLeavesNoTrace) {
    MetaData meta;
    EXPECT_THROW(meta.setContentType(std::string(256, 'x')), std::runtime_error);
    EXPECT_FALSE(meta.hasContentType());
    EXPECT_EQ(encoded(meta).size(), 2u);
    meta.setMessageID(std::string(255, 'x'));
    EXPECT_EQ(encoded(meta).size(), 2 + 256u);
}

TEST(MetaData, CopiesAndSetTakeEverything) {
    Table headers;
    headers.set("recipients", "a@b");
    MetaData original;
    original.setHeaders(headers);
    original.setPriority(3);

    MetaData copy(original);
    EXPECT_EQ(encoded(copy), encoded(original));

    MetaData target;
    target.setContentType("text/plain");
    target.set(original);
    EXPECT_FALSE(target.hasContentType());
    EXPECT_EQ(encoded(target), encoded(original));
    EXPECT_NE(&target.headers().get("recipients"), &original.headers().get("recipients"));
}

TEST(Envelope, PointsAtTheCallersBody) {
    const char body[] = "hello";
    Envelope envelope(body, 5);
    EXPECT_EQ(envelope.body(), body);
    EXPECT_EQ(envelope.bodySize(), 5u);
    envelope.setContentEncoding("gzip");
    EXPECT_EQ(hex(encoded(envelope)), "40 00 04 67 7a 69 70");
}

TEST(Message, BodyInOneFrameIsNotCopied) {
    const char frame[] = "0123456789";
    Message message("exchange", "key");
    EXPECT_EQ(message.exchange(), "exchange");
    EXPECT_EQ(message.routingKey(), "key");
    EXPECT_EQ(message.body(), nullptr);
    message.setBodySize(10);
    EXPECT_TRUE(message.append(frame, 10));
    EXPECT_EQ(message.body(), frame);
    // bytes beyond the body are ignored
    EXPECT_TRUE(message.append("more", 4));
    EXPECT_EQ(message.body(), frame);
}

TEST(Message, BodyOverSeveralFramesIsCopiedOnce) {
    std::string first = "0123", second = "456789xx";
    Message message("", "");
    message.setBodySize(10);
    EXPECT_FALSE(message.append(first.data(), first.size()));
    const char* body = message.body();
    EXPECT_NE(body, first.data());
    first.assign("wxyz");
    EXPECT_TRUE(message.append(second.data(), second.size()));
    EXPECT_EQ(message.body(), body);
    EXPECT_EQ(std::string(message.body(), message.bodySize()), "0123456789");
    EXPECT_TRUE(message.append("zz", 2));
    EXPECT_EQ(std::string(message.body(), 10), "0123456789");
}

TEST(Message, EmptyBodyNeedsNoFrame) {
    Message message("x", "y");
    message.setBodySize(0);
    EXPECT_EQ(message.body(), nullptr);
    EXPECT_EQ(message.bodySize(), 0u);
}

TEST(Message, HostileBodySizeIsRefusedBeforeAllocation) {
    Message message("x", "y");
    for (uint64_t size : {Message::maxBodySize + 1, uint64_t(1) << 62, ~uint64_t(0)}) {
        try {
            message.setBodySize(size);
            ADD_FAILURE() << "accepted a body of " << size << " bytes";
        } catch (const ProtocolException& e) {
            EXPECT_STREQ(e.what(), "message is too big for this system");
        }
    }
    EXPECT_EQ(message.bodySize(), 0u);
    // nothing was allocated: a one-frame body is still taken in place
    const char frame[] = "a";
    EXPECT_TRUE(message.append(frame, 0));
    EXPECT_NO_THROW(message.setBodySize(Message::maxBodySize));
}

#if !defined(__SANITIZE_ADDRESS__)
// Run in a child process with little address space to spare: a peer that
// announces the largest body and sends a few frames of it must not need more.
// Exits 0 when the frames were taken.
[[noreturn]] static void receiveStartOfHugeBodyWithLittleMemory() {
    long pages = 0;
    if (FILE* statm = std::fopen("/proc/self/statm", "r")) {
        if (std::fscanf(statm, "%ld", &pages) != 1) pages = 0;
        std::fclose(statm);
    }
    rlim_t limit = rlim_t(pages) * sysconf(_SC_PAGESIZE) + (rlim_t(256) << 20);
    rlimit bound{limit, limit};
    if (pages == 0 || setrlimit(RLIMIT_AS, &bound) != 0) std::_Exit(2);
    try {
        Message message("x", "y");
        message.setBodySize(Message::maxBodySize);
        std::string frame(4096, 'b');
        for (int i = 0; i < 100; ++i)
            if (message.append(frame.data(), frame.size())) std::_Exit(3);
        std::_Exit(message.body()[100 * 4096 - 1] == 'b' ? 0 : 4);
    } catch (const ProtocolException&) {
        std::_Exit(1);
    }
}
#endif

TEST(Message, HugeAnnouncedBodyTakesMemoryOnlyAsItArrives) {
#if defined(__SANITIZE_ADDRESS__)
    GTEST_SKIP() << "the address sanitizer reserves more address space than the limit leaves";
#else
    EXPECT_EXIT(receiveStartOfHugeBodyWithLittleMemory(), ::testing::ExitedWithCode(0), "");
#endif
}

TEST(Message, BodyGrowingOverManyFramesKeepsEveryByte) {
    std::string expected;
    for (int i = 0; i < 300000; ++i)
        expected.push_back(char('a' + i % 26));
    Message message("", "");
    message.setBodySize(expected.size());
    size_t offset = 0, frame = 1000;
    while (offset + frame < expected.size()) {
        EXPECT_FALSE(message.append(expected.data() + offset, frame));
        offset += frame;
    }
    EXPECT_TRUE(message.append(expected.data() + offset, expected.size() - offset));
    EXPECT_EQ(std::string(message.body(), message.bodySize()), expected);
}
