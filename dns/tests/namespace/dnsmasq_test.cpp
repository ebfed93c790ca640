// The resolver against a real name server: dnsmasq in a private network
// namespace, with our own resolv.conf and hosts file mounted over the
// system's. Needs root; skips without it.
#include "dns/blockingcontext.h"
#include "dns/config.h"
#include "dns/resources.h"
#include "dns/tests/namespace/answers.h"
#include "dns/tests/namespace/namespace.h"
#include "testsupport/process.h"

#include <gtest/gtest.h>
#include <memory>

using namespace Orvanta::Test;

namespace {

// a 2048-bit RSA key as published in DKIM records
const std::string key =
    "MIIBIjANBgkqhkiG9w0BAQEFAAOCAQ8AMIIBCgKCAQEA+yHA6EjL661YngsqYuv/"
    "G7RC9+EppUD5FnMOrYKTDVEKsI6pI6h4S2CzLLtm+"
    "iUecV6f6uwTNGJ+ijMyaRWTufv/BkSHQPG8w+ba60QermZJ32ya7vS17X4X7/Em93258TWe+MZfYatGSymzLnO+ucqlE6tPn/"
    "iwhLs86GETSOoCQDk3iOFBrGiDUs53G6aEt3eazVAo4uShF/8gSD40My/KZipNNEFhyeLbjgwbVTChA42i5HG6M5NBFg/"
    "PirLi3YDyqhCBP7hpmunXSYlDfcGmmTJdEdrLnXP/SjtGpGjgEsSp4VcKvfgFmLJ7E7Xsv3PfIvL5pjqKo6fcjEV5mwIDAQAB";

// the record text cut into character-strings of at most 255 bytes
std::string strings(const std::string& text) {
    std::string out;
    for (size_t at = 0; at < text.size(); at += 255)
        out += "," + text.substr(at, 255);
    return out;
}

std::string big(char letter) {
    return std::string(300, letter);
}

class Dnsmasq : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        std::string reason;
        if (!enterNamespace(reason)) return;
        overlay("/etc/resolv.conf", "nameserver 127.0.0.1\nsearch corp.test example.test\noptions timeout:2 "
                                    "attempts:2\n");
        overlay("/etc/hosts", "127.0.0.1 localhost\n192.0.2.7 alpha Alpha.example.test # a comment\n"
                              "2001:db8::7 alpha\n");
        server = std::make_unique<Child>(dnsmasq({
            "--host-record=www.example.test,192.0.2.10,2001:db8::10",
            "--cname=alias.example.test,www.example.test",
            "--mx-host=example.test,mail.example.test,10",
            "--ptr-record=20.2.0.192.in-addr.arpa,printer.example.test",
            "--txt-record=sel._domainkey.example.test" + strings("v=DKIM1; k=rsa; p=" + key),
            "--txt-record=big.example.test," + big('a') + "," + big('b') + "," + big('c') + "," + big('d') +
                "," + big('e'),
            "--txt-record=plain.example.test,hello,,world",
            "--host-record=intranet.corp.test,192.0.2.30",
            "--local=/example.test/",
            "--local=/corp.test/",
        }));
        ASSERT_TRUE(listening("127.0.0.1")) << "dnsmasq did not start";
    }
    static void TearDownTestSuite() { server.reset(); }

    void SetUp() override {
        std::string reason;
        if (!enterNamespace(reason)) GTEST_SKIP() << reason;
    }

    static std::unique_ptr<Child> server;
};

std::unique_ptr<Child> Dnsmasq::server;

TEST_F(Dnsmasq, AnswersThroughTheSystemConfiguration) {
    struct Case {
        const char* name;
        ns_type type;
        int rcode;
        std::vector<std::string> answers;
    } cases[] = {
        {"www.example.test", ns_t_a, 0, {"A 192.0.2.10"}},
        {"WWW.Example.Test.", ns_t_aaaa, 0, {"AAAA 2001:db8::10"}},
        {"alias.example.test", ns_t_a, 0, {"CNAME www.example.test", "A 192.0.2.10"}},
        {"example.test", ns_t_mx, 0, {"MX 10 mail.example.test"}},
        {"20.2.0.192.in-addr.arpa", ns_t_ptr, 0, {"PTR printer.example.test"}},
        // five strings of 300 bytes do not fit a datagram: TCP
        {"big.example.test", ns_t_txt, 0, {"TXT " + big('a') + big('b') + big('c') + big('d') + big('e')}},
        {"missing.example.test", ns_t_a, 3, {}},
        // a short name found below the second search domain
        {"www", ns_t_a, 0, {"A 192.0.2.10"}},
        {"intranet", ns_t_a, 0, {"A 192.0.2.30"}},
        // the hosts file, without asking the server
        {"ALPHA", ns_t_a, 0, {"A 192.0.2.7"}},
        {"alpha.example.test", ns_t_a, 0, {"A 192.0.2.7"}},
        {"alpha", ns_t_aaaa, 0, {"AAAA 2001:db8::7"}},
    };
    Resolver resolver;
    for (const Case& c : cases) {
        Outcome outcome = resolver.lookup(c.name, c.type);
        EXPECT_EQ(outcome.kind, "answer") << c.name;
        EXPECT_EQ(outcome.rcode, c.rcode) << c.name;
        EXPECT_EQ(outcome.answers, c.answers) << c.name;
    }
}

TEST_F(Dnsmasq, BlockingQueryReadsTheKeyRecordAsDnspythonDoes) {
    Orvanta::Dns::Context context;
    Orvanta::Dns::DkimRecords records;
    ASSERT_TRUE(context.query("sel._domainkey.example.test", ns_t_txt, &records));
    EXPECT_FALSE(records.timeout());
    EXPECT_EQ(records.rcode(), 0);
    ASSERT_EQ(records.records().size(), 1u);
    const Orvanta::Dns::DkimRecord& record = records.records()[0];
    EXPECT_EQ(record.v(), "DKIM1");
    EXPECT_EQ(record.k(), "rsa");
    EXPECT_EQ(record.p(), key);

    ProcessResult oracle =
        runProcess({python3(), "-c",
                    "import dns.resolver\n"
                    "for r in dns.resolver.resolve('sel._domainkey.example.test', 'TXT'):\n"
                    "    print(b''.join(r.strings).decode())\n"});
    ASSERT_EQ(oracle.status, 0) << oracle.err;
    EXPECT_EQ(oracle.out, record.text() + "\n");
}

TEST_F(Dnsmasq, BlockingQueryReportsFailures) {
    Orvanta::Dns::Context context;
    Orvanta::Dns::DkimRecords missing;
    EXPECT_TRUE(context.query("nothere._domainkey.example.test", ns_t_txt, &missing));
    EXPECT_EQ(missing.rcode(), 3);
    EXPECT_TRUE(missing.records().empty());

    // a name that cannot make a query: nothing to wait for
    Orvanta::Dns::DkimRecords invalid;
    EXPECT_FALSE(context.query((std::string(64, 'x') + ".example.test").c_str(), ns_t_txt, &invalid));
    EXPECT_FALSE(invalid.timeout());

    // A TXT record that is not a key record, with an empty string inside.
    Orvanta::Dns::DkimRecords plain;
    EXPECT_TRUE(context.query("plain.example.test", ns_t_txt, &plain));
    ASSERT_EQ(plain.records().size(), 1u);
    EXPECT_EQ(plain.records()[0].text(), "helloworld");
}

TEST_F(Dnsmasq, ContextWithoutNameServersTimesOut) {
    DNS::Config none;
    Orvanta::Dns::Context context(none);
    Orvanta::Dns::DkimRecords records;
    EXPECT_FALSE(context.query("sel._domainkey.example.test", ns_t_txt, &records));
    EXPECT_TRUE(records.timeout());
    // an extra server makes it work
    context.add(DNS::Ip("127.0.0.1"));
    Orvanta::Dns::DkimRecords found;
    EXPECT_TRUE(context.query("sel._domainkey.example.test", ns_t_txt, &found));
    EXPECT_EQ(found.records().size(), 1u);
}

} // namespace
