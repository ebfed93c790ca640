#include "rabbit/compressed_envelope.h"

#include "testsupport/process.h"

#include <gtest/gtest.h>

#include <random>
#include <string>

using Orvanta::Rabbit::Compressed::Envelope;
using Orvanta::Test::runProcess;

namespace {

std::string body(const AMQP::Envelope& envelope) {
    return std::string(envelope.body(), envelope.bodySize());
}

// The gzip program is the judge of what we produce.
std::string gunzip(const std::string& compressed) {
    auto result = runProcess({"gzip", "-dc"}, compressed);
    EXPECT_EQ(result.status, 0) << result.err;
    return result.out;
}

} // namespace

TEST(CompressedEnvelope, EmptyInputIsTheSmallestGzipMember) {
    Envelope envelope(nullptr, 0);
    std::string member = body(envelope);
    ASSERT_EQ(member.size(), 20u);
    // magic, deflate, no flags, modification time 0
    EXPECT_EQ(member.substr(0, 8), std::string("\x1f\x8b\x08\x00\x00\x00\x00\x00", 8));
    // CRC-32 and length of nothing
    EXPECT_EQ(member.substr(12), std::string(8, '\0'));
    EXPECT_EQ(gunzip(member), "");
    EXPECT_EQ(envelope.contentEncoding(), "gzip");
}

TEST(CompressedEnvelope, GzipGivesBackTheInput) {
    std::mt19937 random(7);
    std::string binary(300000, '\0');
    for (char& c : binary)
        c = static_cast<char>(random());
    std::string text;
    while (text.size() < 200000)
        text += "Subject: a line of a message\r\n..dot-stuffed\r\n";
    for (const std::string* input : {&binary, &text}) {
        Envelope envelope(input->data(), input->size());
        EXPECT_EQ(gunzip(body(envelope)), *input);
    }
    // repetitive text really is compressed
    EXPECT_LT(Envelope(text.data(), text.size()).bodySize(), text.size() / 10);
}

TEST(CompressedEnvelope, OnlyTheContentEncodingIsSet) {
    Envelope envelope("abc", 3);
    EXPECT_TRUE(envelope.hasContentEncoding());
    EXPECT_FALSE(envelope.hasContentType());
    EXPECT_FALSE(envelope.hasHeaders());
    EXPECT_FALSE(envelope.hasDeliveryMode());
    EXPECT_FALSE(envelope.hasMessageID());
    EXPECT_FALSE(envelope.hasTimestamp());
}

TEST(CompressedEnvelope, GivenPropertiesAreKeptButTheEncodingIsGzip) {
    AMQP::MetaData properties;
    properties.setContentEncoding("identity");
    properties.setContentType("message/rfc822");
    properties.setDeliveryMode(2);
    AMQP::Table headers;
    headers.set("recipients", "a@example.org");
    properties.setHeaders(headers);

    std::string input = "From: a@example.org\r\n\r\nhello\r\n";
    Envelope envelope(properties, input.data(), input.size());
    EXPECT_EQ(envelope.contentEncoding(), "gzip");
    EXPECT_EQ(envelope.contentType(), "message/rfc822");
    EXPECT_EQ(envelope.deliveryMode(), 2);
    ASSERT_TRUE(envelope.hasHeaders());
    EXPECT_EQ(static_cast<const std::string&>(envelope.headers().get("recipients")), "a@example.org");
    // the properties did not disturb the body
    EXPECT_EQ(gunzip(body(envelope)), input);
}
