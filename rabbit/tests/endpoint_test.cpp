#include "rabbit/endpoint.h"

#include <gtest/gtest.h>

#include <stdexcept>

using Orvanta::Rabbit::Endpoint;

TEST(Endpoint, SplitsAtTheFirstColon) {
    struct Case {
        const char* text;
        const char* exchange;
        const char* routingKey;
    };
    for (const Case& c : {Case{"mail:outgoing", "mail", "outgoing"}, Case{"outgoing", "", "outgoing"},
                          Case{"mail:", "mail", ""}, Case{":outgoing", "", "outgoing"},
                          Case{"a:b:c", "a", "b:c"}, Case{"", "", ""}, Case{":", "", ""}}) {
        Endpoint endpoint(c.text);
        EXPECT_EQ(endpoint.exchange(), c.exchange) << c.text;
        EXPECT_EQ(endpoint.routingKey(), c.routingKey) << c.text;
    }
}

TEST(Endpoint, ViewsStayValidAfterTheSourceTextChanges) {
    std::string text = "exchange:key";
    Endpoint endpoint(text);
    text.assign(100, 'x');
    EXPECT_EQ(endpoint.exchange(), "exchange");
    EXPECT_EQ(endpoint.routingKey(), "key");
}

TEST(Endpoint, NamesUpTo255BytesAreAccepted) {
    std::string longest(255, 'n');
    Endpoint both(longest + ":" + longest);
    EXPECT_EQ(both.exchange().size(), 255u);
    EXPECT_EQ(both.routingKey().size(), 255u);
    // without a colon the whole text is the routing key
    EXPECT_EQ(Endpoint(longest).routingKey().size(), 255u);
}

TEST(Endpoint, LongerNamesAreRefused) {
    std::string tooLong(256, 'n');
    try {
        Endpoint endpoint(tooLong + ":key");
        FAIL() << "an exchange of 256 bytes was accepted";
    } catch (const std::runtime_error& error) {
        EXPECT_STREQ(error.what(), "Outbox exchange is longer than 255 bytes");
    }
    try {
        Endpoint endpoint("mail:" + tooLong);
        FAIL() << "a routing key of 256 bytes was accepted";
    } catch (const std::runtime_error& error) {
        EXPECT_STREQ(error.what(), "Outbox routing key is longer than 255 bytes");
    }
    // no colon: the text is a routing key, and so limited like one
    EXPECT_THROW(Endpoint{tooLong}, std::runtime_error);
}
