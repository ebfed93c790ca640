// The exception family: messages, type codes and the retry and
// non-existence answers of each kind.
#include "dns/host/exception.h"

#include <cerrno>
#include <cstring>
#include <gtest/gtest.h>
#include <netdb.h>

using namespace Orvanta::Dns;

TEST(DnsException, PlainKeepsItsType) {
    Exception error("No records of this type", 5);
    EXPECT_STREQ(error.what(), "No records of this type");
    EXPECT_EQ(error.type(), 5);
    EXPECT_FALSE(error.temporary());
    EXPECT_FALSE(error.nxdomain());
}

TEST(DnsException, RcodeTable) {
    struct Row {
        int rcode;
        const char* message;
        int type;
    } rows[] = {
        {1, "rcode 1 (FORMERR): Format Error", 7},
        {2, "rcode 2 (SERVFAIL): Server Failure", 1},
        {3, "rcode 3 (NXDOMAIN): Non-Existent Domain", 4},
        {9, "rcode 9 (NOTAUTH): Server Not Authoritative for zone", 5},
        {10, "rcode 10 (NOTZONE): Name not contained in zone", 5},
        {0, "Unknown error: Rcode unknown", 7},
        {11, "Unknown error: Rcode unknown", 7},
        {-1, "Unknown error: Rcode unknown", 7},
    };
    for (const Row& row : rows) {
        RcodeException error(row.rcode);
        const Exception& base = error;
        EXPECT_STREQ(base.what(), row.message) << row.rcode;
        EXPECT_EQ(base.type(), row.type) << row.rcode;
        EXPECT_EQ(error.rcode(), row.rcode);
        EXPECT_EQ(base.temporary(), row.rcode == 2) << row.rcode;
        EXPECT_EQ(base.nxdomain(), row.rcode == 3) << row.rcode;
    }
}

TEST(DnsException, Timeout) {
    TimeoutException error;
    const Exception& base = error;
    EXPECT_STREQ(base.what(), "DNS request timeout");
    EXPECT_EQ(base.type(), 2);
    EXPECT_TRUE(base.temporary());
    EXPECT_FALSE(base.nxdomain());
}

TEST(DnsException, GaiCodes) {
    struct Row {
        int code;
        int type;
    } rows[] = {
        {EAI_NODATA, 5}, {EAI_AGAIN, 1}, {EAI_NONAME, 4}, {EAI_MEMORY, 7}, {EAI_FAIL, 7}, {12345, 7},
    };
    for (const Row& row : rows) {
        GaiException error(row.code, nullptr);
        const Exception& base = error;
        EXPECT_STREQ(base.what(), gai_strerror(row.code)) << row.code;
        EXPECT_EQ(base.type(), row.type) << row.code;
        EXPECT_EQ(error.code(), row.code);
        EXPECT_EQ(base.temporary(), row.code == EAI_AGAIN);
        EXPECT_EQ(base.nxdomain(), row.code == EAI_NONAME);
    }
}

TEST(DnsException, GaiSystemErrorTakesErrno) {
    errno = ENOENT;
    GaiException error(EAI_SYSTEM, nullptr);
    EXPECT_STREQ(error.what(), std::strerror(ENOENT));
    EXPECT_EQ(error.type(), 6);
}

TEST(DnsException, GaiReleasesTheList) {
    addrinfo hints{};
    hints.ai_flags = AI_NUMERICHOST;
    addrinfo* list = nullptr;
    ASSERT_EQ(getaddrinfo("127.0.0.1", nullptr, &hints, &list), 0);
    // the sanitized build reports the list as leaked if this does not free it
    GaiException error(EAI_FAMILY, list);
    EXPECT_EQ(error.code(), EAI_FAMILY);
}

TEST(DnsException, CaughtAsRuntimeError) {
    try {
        throw RcodeException(3);
    } catch (const std::runtime_error& error) {
        EXPECT_STREQ(error.what(), "rcode 3 (NXDOMAIN): Non-Existent Domain");
    }
}
