// The message code without any I/O: queries as bytes, responses parsed from
// bytes, names, reverse names and answers built from the hosts file.
#include "dns/host/printable.h"
#include "dns/host/reverse.h"
#include "dns/resolver/hosts.h"
#include "dns/tests/wire.h"
#include "dns/wire/bits.h"
#include "dns/wire/extractor.h"
#include "dns/wire/fakeresponse.h"
#include "dns/wire/message.h"
#include "dns/wire/name.h"
#include "dns/wire/query.h"
#include "dns/wire/reader.h"
#include "dns/wire/record.h"

#include <functional>
#include <gtest/gtest.h>

using Orvanta::Test::Wire;

namespace {

std::string bytes(const DNS::Query& query) {
    return std::string(reinterpret_cast<const char*>(query.data()), query.size());
}

std::string errorOf(const std::function<void()>& work) {
    try {
        work();
    } catch (const std::runtime_error& error) {
        return error.what();
    }
    return "no error";
}

// The answer a server would give to the query: QR set, its question, and
// the records given.
Wire reply(const DNS::Query& query, unsigned rcode = 0, unsigned answers = 0) {
    Wire wire;
    wire.header(query.id(), 0x8180 | rcode, 1, answers);
    // the question as the query holds it, without its OPT record
    std::string question = bytes(query).substr(12);
    return wire.raw(question.substr(0, question.size() - 11));
}

// Two answers: the first (owner the root) holds in its data a zero byte and
// `hops` - 1 pointers, each to the one before; the second's owner points at
// the last, so expanding it follows `hops` pointers down to the root.
std::string pointerChain(unsigned hops) {
    Wire wire;
    wire.header(1, 0x8180, 0, 2).u8(0).u16(ns_t_txt).u16(1).u32(60).u16(1 + 2 * (hops - 1)).u8(0);
    for (unsigned i = 1; i < hops; ++i)
        wire.u16(0xc000 | unsigned(wire.bytes.size() - (i == 1 ? 1 : 2)));
    return wire.u16(0xc000 | unsigned(wire.bytes.size() - 2)).u16(ns_t_a).u16(1).u32(60).u16(0).bytes;
}

TEST(Query, WritesHeaderQuestionAndOpt) {
    struct Case {
        unsigned bits;
        std::string flags; // bytes 2 and 3
        std::string optTtl;
    } cases[] = {
        {8, std::string("\x01\x00", 2), std::string(4, '\0')},
        {0, std::string("\x00\x00", 2), std::string(4, '\0')},
        {8 | 4, std::string("\x01\x00", 2), std::string("\x00\x00\x80\x00", 4)},
        {1 | 2, std::string("\x00\x30", 2), std::string(4, '\0')},
    };
    for (const Case& c : cases) {
        DNS::Query query(0, "www.Example.test.", ns_t_txt, DNS::Bits(c.bits));
        std::string expected = c.flags + std::string("\x00\x01\x00\x00\x00\x00\x00\x01", 8) +
                               std::string("\x03www\x07"
                                           "Example\x04test\x00\x00\x10\x00\x01",
                                           22) +
                               std::string("\x00\x00\x29\x04\xb0", 5) + c.optTtl + std::string(2, '\0');
        EXPECT_EQ(bytes(query).substr(2), expected) << c.bits;
        EXPECT_NE(query.id(), 0);
        EXPECT_EQ(query.questions(), 1);
    }
}

TEST(Query, LongNamesLoseTheOptRecordThenFail) {
    // 246 bytes in wire form leave fewer than 11 for the OPT record
    std::string label(60, 'a');
    DNS::Query longest(0, (label + "." + label + "." + label + "." + label + "a").c_str(), ns_t_a,
                       DNS::Bits(8 | 4));
    EXPECT_EQ(longest.size(), 12u + 246u + 4u);
    DNS::Query fits(0, (label + "." + label + "." + label + "." + label).c_str(), ns_t_a, DNS::Bits(8 | 4));
    EXPECT_EQ(fits.size(), 272u);
    EXPECT_EQ(bytes(longest).substr(10, 2), std::string(2, '\0'));

    struct Case {
        int opcode;
        std::string name;
        int type;
        const char* error;
    } cases[] = {
        {0, "a.test", -1, "invalid type passed to dns query"},
        {0, "a.test", 65536, "invalid type passed to dns query"},
        {1, "a.test", 1, "invalid dns operation"},
        {5, "a.test", 1, "invalid dns operation"},
        {0, std::string(64, 'x') + ".test", 1, "failed domain name compression"},
        {0, "a..test", 1, "failed domain name compression"},
        {0, ".test", 1, "failed domain name compression"},
        {0, label + "." + label + "." + label + "." + label + "." + label, 1,
         "failed domain name compression"},
        {0, "a.test", 1, "no error"},
        {0, ".", 2, "no error"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(errorOf([&] { DNS::Query(c.opcode, c.name.c_str(), c.type, DNS::Bits()); }), c.error)
            << c.name;
}

TEST(Query, MatchesOnlyAnAnswerToItsQuestion) {
    DNS::Query query(0, "www.example.test", ns_t_a, DNS::Bits());
    struct Case {
        const char* what;
        Wire wire;
        bool matches;
    } cases[] = {
        {"echo", reply(query), true},
        {"letter case", Wire().header(query.id(), 0x8180, 1, 0).name("WWW.EXAMPLE.test").u16(1).u16(1), true},
        {"other id", Wire().header(query.id() ^ 1, 0x8180, 1, 0).name("www.example.test").u16(1).u16(1),
         false},
        {"other name", Wire().header(query.id(), 0x8180, 1, 0).name("ww.example.test").u16(1).u16(1), false},
        {"other type", Wire().header(query.id(), 0x8180, 1, 0).name("www.example.test").u16(28).u16(1),
         false},
        {"other class", Wire().header(query.id(), 0x8180, 1, 0).name("www.example.test").u16(1).u16(3),
         false},
        {"no question", Wire().header(query.id(), 0x8180, 0, 0), false},
        {"two questions",
         Wire()
             .header(query.id(), 0x8180, 2, 0)
             .name("www.example.test")
             .u16(1)
             .u16(1)
             .name("www.example.test")
             .u16(1)
             .u16(1),
         false},
    };
    for (const Case& c : cases)
        EXPECT_EQ(query.matches(c.wire.response()), c.matches) << c.what;
}

TEST(Message, ReadsHeaderCodesAndSections) {
    DNS::Query query(0, "x.test", ns_t_a, DNS::Bits());
    Wire plain = reply(query, 3);
    DNS::Response nxdomain = plain.response();
    EXPECT_TRUE(nxdomain.response());
    EXPECT_EQ(nxdomain.rcode(), 3);
    EXPECT_EQ(nxdomain.questions(), 1u);

    // SERVFAIL with extended code 1 in an OPT record: 18
    Wire extended = reply(query, 2);
    extended.bytes[11] = 1;
    extended.u8(0).u16(41).u16(1200).u32(0x01000000).u16(0);
    EXPECT_EQ(extended.response().rcode(), 18);
    EXPECT_EQ(extended.response().additional(), 1u);

    Wire answers = reply(query, 0, 3);
    answers.record("x.test", 5, Wire().name("y.test").bytes)
        .record("y.test", 1, std::string("\xc0\x00\x02\x01", 4))
        .record("y.test", 28, std::string("\0\0\0\0\0\0\0\0\0\0\xff\xff\xc0\x00\x02\x02", 16));
    answers.bytes[7] = 3;
    DNS::Response response = answers.response();
    EXPECT_EQ(response.records(ns_s_an), 3u);
    EXPECT_EQ(response.records(ns_s_an, 1, 1), 1u);
    DNS::Record a(response, ns_s_an, 1), mapped(response, ns_s_an, 2);
    EXPECT_STREQ(a.name(), "y.test");
    EXPECT_EQ(a.ttl(), 60u);
    EXPECT_STREQ(DNS::Printable(DNS::A(a).ip()).data(), "192.0.2.1");
    EXPECT_EQ(DNS::AAAA(mapped).ip().version(), 4);
    EXPECT_EQ(errorOf([&] { DNS::A{mapped}; }), "type mismatch / wrong record type");
    EXPECT_EQ(errorOf([&] { DNS::extract(DNS::Record(response, ns_s_an, 0)); }),
              "Ips can only be extracted from A and AAAA records");
    EXPECT_EQ(errorOf([&] { DNS::Record(response, ns_s_an, 3); }), "failed to parse record");
    // an address record of another length is an error of that record
    Wire odd = reply(query, 0, 2);
    odd.record("x.test", 1, std::string("\xc0\x00\x02\x01\x07", 5))
        .record("x.test", 28, std::string(17, '\0'));
    DNS::Response wrong = odd.response();
    for (size_t i = 0; i < 2; ++i)
        EXPECT_EQ(errorOf([&] { DNS::extract(DNS::Record(wrong, ns_s_an, i)); }),
                  "record size does not fit its type");

    // a TTL with the top bit set reads as 0; an OPT record's field is no TTL
    Wire huge = reply(query, 0, 1);
    huge.name("x.test").u16(1).u16(1).u32(0x80000001).u16(4).raw(std::string("\xc0\x00\x02\x01", 4));
    EXPECT_EQ(DNS::Record(huge.response(), ns_s_an, 0).ttl(), 0u);
    Wire high = reply(query, 0);
    high.bytes[11] = 1;
    high.u8(0).u16(41).u16(1200).u32(0xff000000).u16(0);
    EXPECT_EQ(high.response().rcode(), 0xff0);

    // the longest pointer chain a name may take
    std::string chain = pointerChain(DNS::Reader::maxPointers);
    DNS::Response chained(reinterpret_cast<const unsigned char*>(chain.data()), chain.size());
    EXPECT_STREQ(DNS::Record(chained, ns_s_an, 1).name(), ".");
}

TEST(Message, RefusesBrokenBytes) {
    std::string question = Wire().name("a.test").u16(1).u16(1).bytes;
    struct Case {
        const char* what;
        std::string bytes;
    } cases[] = {
        {"short header", std::string(11, '\0')},
        {"missing question", Wire().header(1, 0x8180, 1, 0).bytes},
        {"missing answer", Wire().header(1, 0x8180, 1, 1).raw(question).bytes},
        {"data past the end",
         Wire().header(1, 0x8180, 0, 1).name("a").u16(1).u16(1).u32(0).u16(5).raw("abc").bytes},
        {"forward pointer", Wire().header(1, 0x8180, 1, 0).raw("\xc0\x10").u16(1).u16(1).raw(question).bytes},
        {"pointer to itself", Wire().header(1, 0x8180, 1, 0).raw("\xc0\x0c").u16(1).u16(1).bytes},
        {"label type 0x40", Wire().header(1, 0x8180, 1, 0).raw("\x41").u16(1).u16(1).bytes},
        {"a pointer chain longer than any name", pointerChain(DNS::Reader::maxPointers + 1)},
        {"label past the end", Wire()
                                   .header(1, 0x8180, 1, 0)
                                   .raw("\x3f"
                                        "abc")
                                   .bytes},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(errorOf([&] {
                      DNS::Response(reinterpret_cast<const unsigned char*>(c.bytes.data()), c.bytes.size());
                  }),
                  "failed to parse dns message")
            << c.what;
    }
}

TEST(Names, ExpandCompressAndCompare) {
    // "a.example" at 0, then "b" + pointer to "example"
    Wire wire;
    wire.name("a.example").u8(1).u8('b').u8(0xc0).u8(2).u8(4).raw("x.y\\").u8(0);
    const auto* data = reinterpret_cast<const unsigned char*>(wire.bytes.data());
    DNS::Reader reader(data, wire.bytes.size(), 11);
    EXPECT_EQ(reader.name(), "b.example");
    EXPECT_EQ(reader.position(), 15u);
    EXPECT_EQ(reader.name(), "x\\.y\\\\");
    DNS::Decompressed expanded(data, data + wire.bytes.size(), data + 11);
    EXPECT_STREQ(expanded, "b.example");
    EXPECT_EQ(expanded.consumed(), 4u);

    unsigned char out[64];
    EXPECT_EQ(DNS::encodeName("x\\.y\\092", out, sizeof out), 6);
    EXPECT_EQ(std::string(reinterpret_cast<char*>(out), 6), std::string("\x04x.y\\\x00", 6));
    EXPECT_EQ(DNS::encodeName("abc", out, 4), -1);

    unsigned char message[64] = {};
    DNS::Compressor compressor(message);
    EXPECT_EQ(compressor.add("www.example.test", message + 12, 52), 18);
    EXPECT_EQ(compressor.add("mail.EXAMPLE.test", message + 30, 34), 7);
    EXPECT_EQ(std::string(reinterpret_cast<char*>(message) + 30, 7), "\x04mail\xc0\x10");

    EXPECT_TRUE(DNS::samename("WWW.example.test.", "www.EXAMPLE.test"));
    EXPECT_FALSE(DNS::samename("ww.example.test", "www.example.test"));
    // a byte as such or escaped is one byte; an escaped dot separates nothing
    EXPECT_TRUE(DNS::samename("b\u00fccher.test", "B\\195\\188CHER.test."));
    EXPECT_FALSE(DNS::samename("a\\.b", "a.b"));
    EXPECT_TRUE(DNS::samename("a\\\\.", "a\\092"));
}

TEST(Reverse, NamesAndAddressesBothWays) {
    EXPECT_STREQ(DNS::Reverse(DNS::Ip("192.0.2.1")), "1.2.0.192.in-addr.arpa");
    DNS::Reverse six(DNS::Ip("2001:db8::567:89ab"));
    EXPECT_STREQ(six, "b.a.9.8.7.6.5.0.0.0.0.0.0.0.0.0.0.0.0.0.0.0.0.0.8.b.d.0.1.0.0.2.ip6.arpa");
    EXPECT_EQ(DNS::Printable(DNS::Reverse(static_cast<const char*>(six)).ip()).data(),
              std::string("2001:db8::567:89ab"));
    EXPECT_EQ(DNS::Printable(DNS::Reverse("1.2.0.192.IN-ADDR.ARPA").ip()).data(), std::string("192.0.2.1"));
    EXPECT_EQ(DNS::Reverse("1.2.0.192.in-addr.arpa").version(), 4);
    EXPECT_EQ(errorOf([] { DNS::Reverse("www.example.test"); }), "address is not in reverse notation");
    EXPECT_EQ(errorOf([] { DNS::Reverse("1.2.0.300.in-addr.arpa").ip(); }),
              "address is not in reverse notation");
    EXPECT_EQ(errorOf([] { DNS::Reverse(std::string(128, 'a').c_str()); }),
              "address is too long to contain an IPv4 address");
}

TEST(Hosts, AnswersLikeAServer) {
    DNS::Hosts hosts;
    hosts.parse("# comment\n192.0.2.7\talpha Alpha.example   # alpha's second name\n"
                "2001:db8::7 alpha\nnot-an-address beta\n\n192.0.2.8 alpha\n");
    EXPECT_STREQ(DNS::Printable(*hosts.lookup("ALPHA", 0)).data(), "192.0.2.7");
    EXPECT_STREQ(DNS::Printable(*hosts.lookup("alpha", 6)).data(), "2001:db8::7");
    EXPECT_EQ(hosts.lookup("beta", 0), nullptr);
    EXPECT_EQ(hosts.lookup("#", 0), nullptr);
    EXPECT_STREQ(hosts.lookup(DNS::Ip("192.0.2.7")), "alpha");

    struct Case {
        const char* name;
        ns_type type;
        size_t answers;
        unsigned size; // of the first answer's data
    } cases[] = {
        {"alpha", ns_t_a, 2, 4},
        {"alpha.example", ns_t_a, 1, 4},
        {"alpha", ns_t_aaaa, 1, 16},
        {"alpha", ns_t_mx, 0, 0},
        {"7.2.0.192.in-addr.arpa", ns_t_ptr, 1, 7},
        {"9.2.0.192.in-addr.arpa", ns_t_ptr, 0, 0},
    };
    for (const Case& c : cases) {
        DNS::Query query(0, c.name, c.type, DNS::Bits());
        DNS::Request request(query);
        DNS::Response answer = hosts.answer(request);
        EXPECT_TRUE(query.matches(answer)) << c.name;
        EXPECT_EQ(answer.rcode(), 0);
        ASSERT_EQ(answer.records(ns_s_an), c.answers) << c.name;
        if (c.answers) {
            EXPECT_EQ(DNS::Record(answer, ns_s_an, 0).size(), c.size) << c.name;
        }
    }
}

} // namespace
