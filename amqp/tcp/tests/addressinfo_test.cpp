#include <algorithm>
#include <arpa/inet.h>
#include <netdb.h>
#include <stdexcept>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "amqp/tcp/addressinfo.h"
#include "amqp/tcp/connectionorder.h"
#include "amqp/tcp/tests/fakelookup.h"

using namespace AMQP;
using AMQP::Test::FakeLookup;

namespace {

std::string text(const addrinfo* entry) {
    char out[INET6_ADDRSTRLEN];
    const void* address =
        entry->ai_family == AF_INET
            ? static_cast<const void*>(&reinterpret_cast<sockaddr_in*>(entry->ai_addr)->sin_addr)
            : static_cast<const void*>(&reinterpret_cast<sockaddr_in6*>(entry->ai_addr)->sin6_addr);
    return inet_ntop(entry->ai_family, address, out, sizeof out);
}

std::vector<std::string> resolve(const char* order) {
    AddressInfo info("several", 5672, ConnectionOrder(order));
    std::vector<std::string> out;
    for (size_t i = 0; i < info.size(); ++i)
        out.push_back(text(info[int(i)]));
    return out;
}

const std::vector<std::string> resolved = {"127.0.0.2", "::2", "10.0.0.1", "::1", "127.0.0.1", "9.255.0.0"};

} // namespace

TEST(ConnectionOrder, NamesAreComparedExactly) {
    EXPECT_EQ(ConnectionOrder(nullptr).order(), ConnectionOrder::standard);
    EXPECT_EQ(ConnectionOrder("random").order(), ConnectionOrder::random);
    EXPECT_EQ(ConnectionOrder("Random").order(), ConnectionOrder::standard);
    EXPECT_EQ(ConnectionOrder("asc").order(), ConnectionOrder::ascending);
    EXPECT_EQ(ConnectionOrder("ascending").order(), ConnectionOrder::ascending);
    EXPECT_EQ(ConnectionOrder("desc").order(), ConnectionOrder::descending);
    EXPECT_EQ(ConnectionOrder("descending").order(), ConnectionOrder::descending);
    EXPECT_EQ(ConnectionOrder("reverse").order(), ConnectionOrder::standard);
    EXPECT_EQ(ConnectionOrder("").order(), ConnectionOrder::standard);
    ConnectionOrder copy(ConnectionOrder("desc"));
    EXPECT_EQ(copy.order(), ConnectionOrder::descending);
}

TEST(AddressInfo, OrdersTheResolvedAddressesAsAsked) {
    FakeLookup lookup(resolved);
    EXPECT_EQ(resolve(nullptr), resolved);
    EXPECT_EQ(resolve("ASC"), resolved);
    // IPv4 before IPv6, each by its address as a number (9.255.0.0 is below
    // 10.0.0.1 although its text sorts above it)
    std::vector<std::string> ascending = {"9.255.0.0", "10.0.0.1", "127.0.0.1", "127.0.0.2", "::1", "::2"};
    EXPECT_EQ(resolve("asc"), ascending);
    EXPECT_EQ(resolve("desc"), std::vector<std::string>(ascending.rbegin(), ascending.rend()));
}

TEST(AddressInfo, RandomOrderKeepsEveryAddressOnce) {
    FakeLookup lookup(resolved);
    auto shuffled = resolve("random");
    std::sort(shuffled.begin(), shuffled.end());
    auto sorted = resolved;
    std::sort(sorted.begin(), sorted.end());
    EXPECT_EQ(shuffled, sorted);
}

TEST(AddressInfo, ReversalTurnsTheResolvedOrderAround) {
    FakeLookup lookup(resolved);
    AddressInfo info("several", 1, ConnectionOrder(nullptr));
    info.reverse();
    EXPECT_EQ(text(info[0]), "9.255.0.0");
    EXPECT_EQ(text(info[5]), "127.0.0.2");
}

TEST(AddressInfo, ALookupFailureCarriesTheSystemText) {
    FakeLookup lookup;
    try {
        AddressInfo info("unknown", 5672, ConnectionOrder(nullptr));
        FAIL() << "no exception";
    } catch (const std::runtime_error& error) {
        EXPECT_STREQ(error.what(), gai_strerror(EAI_NONAME));
    }
}

TEST(AddressInfo, TheSystemLookupResolvesANumericAddressWithItsPort) {
    AddressInfo info("127.0.0.1", 5673, ConnectionOrder("desc"));
    ASSERT_EQ(info.size(), 1u);
    EXPECT_EQ(text(info[0]), "127.0.0.1");
    EXPECT_EQ(ntohs(reinterpret_cast<sockaddr_in*>(info[0]->ai_addr)->sin_port), 5673);
    EXPECT_EQ(info[0]->ai_socktype, SOCK_STREAM);
}
