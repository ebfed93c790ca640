// DKIM key records as the key lookups collect them from TXT answers.
#include "dns/resolver/resources.h"
#include "dns/tests/wire.h"

#include <gtest/gtest.h>

using Orvanta::Test::strings;
using Orvanta::Test::Wire;

namespace {

// An answer holding one TXT record made of these character-strings.
DNS::Response txt(const std::string& data) {
    Wire wire;
    wire.header(7, 0x8180, 1, 1).name("sel._domainkey.example.test").u16(16).u16(1);
    wire.record("sel._domainkey.example.test", 16, data);
    return wire.response();
}

TEST(DkimRecord, ReadsTheTags) {
    struct Case {
        std::string data;
        bool kept;
        std::string v, k, p, t, s, h;
    } cases[] = {
        {strings({"v=DKIM1; k=rsa; p=abc"}), true, "DKIM1", "rsa", "abc", "", "", ""},
        {strings({"v = DKIM1 ;\tk=rsa ; p= abc "}), true, "DKIM1", "rsa", "abc", "", "", ""},
        // joined without separators: a key split across strings is whole
        {strings({"v=DKIM1; p=MIIB", "IjAN", "Bgkq"}), true, "DKIM1", "", "MIIBIjANBgkq", "", "", ""},
        // an empty string is skipped, not the end of the record
        {strings({"k=rsa; ", "", "p=abc"}), true, "", "rsa", "abc", "", "", ""},
        {strings({"v=DKIM2; p=abc"}), false, "", "", "", "", "", ""},
        {strings({"v=dkim1; p=abc"}), false, "", "", "", "", "", ""},
        {strings({"p=abc"}), true, "", "", "abc", "", "", ""},
        {strings({"k=rsa; t=y:s; s=email; h=sha256; p="}), true, "", "rsa", "", "y:s", "email", "sha256"},
        // tags are whole names: px and hx are not p and h
        {strings({"p=abc; px=def; hx=x"}), true, "", "", "abc", "", "", ""},
        {strings({"p=abc; p=def"}), true, "", "", "def", "", "", ""},
        {strings({"k=rsa; p=abc; junk"}), true, "", "rsa", "abc", "", "", ""},
        // a piece without '=' is no tag (the record is refused for it), the
        // next one still is; empty pieces are nothing
        {strings({"k=rsa; junk; p=abc"}), true, "", "rsa", "abc", "", "", ""},
        {strings({"k=rsa;; p=abc;"}), true, "", "rsa", "abc", "", "", ""},
        {strings({" p=abc"}), true, "", "", "abc", "", "", ""},
        {"", true, "", "", "", "", "", ""},
        // a string running past the record data: a broken record
        {std::string("\x05"
                     "p=abc\x09"
                     "def",
                     10),
         false, "", "", "", "", "", ""},
    };
    for (const Case& c : cases) {
        Orvanta::Dns::DkimRecords records;
        records.onResolved(nullptr, txt(c.data));
        ASSERT_EQ(records.records().size(), c.kept ? 1u : 0u) << c.data;
        if (!c.kept) continue;
        const Orvanta::Dns::DkimRecord& record = records.records()[0];
        EXPECT_EQ(record.v(), c.v) << c.data;
        EXPECT_EQ(record.k(), c.k) << c.data;
        EXPECT_EQ(record.p(), c.p) << c.data;
        EXPECT_EQ(record.t(), c.t) << c.data;
        EXPECT_EQ(record.s(), c.s) << c.data;
        EXPECT_EQ(record.h(), c.h) << c.data;
    }
}

TEST(DkimRecord, CollectsOnlyTxtAnswers) {
    Wire wire;
    wire.header(7, 0x8180, 1, 3).name("sel._domainkey.example.test").u16(16).u16(1);
    wire.record("sel._domainkey.example.test", 5, Wire().name("key.example.test").bytes)
        .record("key.example.test", 16, strings({"v=DKIM1; p=first"}))
        .record("key.example.test", 16, strings({"v=DKIM1; p=second"}));
    Orvanta::Dns::DkimRecords records;
    // through the handler's dispatch, as the resolver delivers
    records.onReceived(nullptr, wire.response());
    ASSERT_EQ(records.records().size(), 2u);
    EXPECT_EQ(records.records()[0].p(), "first");
    EXPECT_EQ(records.records()[1].p(), "second");
    EXPECT_EQ(records.rcode(), 0);

    // copies keep their text
    Orvanta::Dns::DkimRecords copy = records;
    EXPECT_EQ(copy.records()[1].text(), "v=DKIM1; p=second");
}

TEST(DkimRecord, FailuresReachTheHandler) {
    struct Case {
        unsigned flags;
        unsigned extended;
        int rcode;
    } cases[] = {
        {0x8183, 0, 3},
        {0x8182, 0, 2},
        {0x8180, 1, 16},
        // truncated, and no retry completed it
        {0x8380, 0, 2},
    };
    for (const Case& c : cases) {
        Wire wire;
        wire.header(7, c.flags, 1, 0, 0, 1).name("x.test").u16(16).u16(1);
        wire.u8(0).u16(41).u16(1200).u32(c.extended << 24).u16(0);
        Orvanta::Dns::DkimRecords records;
        records.onReceived(nullptr, wire.response());
        EXPECT_EQ(records.rcode(), c.rcode) << c.flags;
        EXPECT_FALSE(records.timeout());
    }
    Orvanta::Dns::DkimRecords late;
    late.onTimeout(nullptr);
    EXPECT_TRUE(late.timeout());
}

} // namespace
