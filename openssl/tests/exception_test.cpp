#include "openssl/exception.h"
#include "openssl/functions.h"

#include "testsupport/process.h"

#include <gtest/gtest.h>

#include <cstdio>

#include <string>

namespace Orvanta::OpenSSL {
namespace {

TEST(OpenSSLExceptionTest, CodeZeroMeansNoReason) {
    EXPECT_STREQ(Exception(0).what(), "Unknown error code");
    EXPECT_STREQ(Exception(0ul).what(), "Unknown error code");
    EXPECT_STREQ(Exception("unknown digest").what(), "unknown digest");
}

TEST(OpenSSLExceptionTest, ReasonTextOfAQueuedError) {
    ERR_clear_error();
    char text[] = "this is not PEM";
    bio_st* bio = BIO_new_mem_buf(text, sizeof text - 1);
    ASSERT_NE(bio, nullptr);
    EXPECT_EQ(PEM_read_bio_PUBKEY(bio, nullptr, nullptr, nullptr), nullptr);
    BIO_free(bio);
    unsigned long code = ERR_get_error();
    ASSERT_NE(code, 0u);
    // the openssl command prints the code as error:code:library:function:reason
    char hex[32];
    std::snprintf(hex, sizeof hex, "%lx", code);
    auto result = Orvanta::Test::runProcess({"openssl", "errstr", hex});
    ASSERT_EQ(result.status, 0) << result.err;
    std::string line = result.out.substr(0, result.out.find('\n'));
    EXPECT_EQ(Exception(code).what(), line.substr(line.rfind(':') + 1));
    ERR_clear_error();
}

TEST(OpenSSLExceptionTest, CodeWithoutText) {
    // library 0x7f, reason 0xfff: no table holds a text for it
    EXPECT_STREQ(Exception((0x7ful << 23) | 0xfffu).what(), "Unknown error: error strings not loaded");
}

} // namespace
} // namespace Orvanta::OpenSSL
