// The resolver against a real name server: dnsmasq in a private network
// namespace, with our own resolv.conf and hosts file mounted over the
// system's. Needs root; skips without it.
#include "dns/resolver/blockingcontext.h"
#include "dns/resolver/config.h"
#include "dns/resolver/core.h"
#include "dns/resolver/resources.h"
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
        overlay("/etc/resolv.conf",
                "nameserver 127.0.0.1  # dnsmasq\nsearch corp.test example.test\noptions timeout:2 "
                "attempts:2\n");
        overlay("/etc/hosts",
                "127.0.0.1 localhost\n192.0.2.7 alpha Alpha.example.test # a comment\n"
                "2001:db8::7 alpha\n192.0.2.11 trail.example.test.\n192.0.2.13 b\u00fccher.example.test\n");
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
            "--local=/only/",
            "--local=/nothing/",
            // NOERROR without A records below the first search domain
            "--txt-record=only.corp.test,text",
            "--txt-record=both.corp.test,text",
            "--host-record=both.example.test,192.0.2.40",
            // what a wildcard under w.test answers for the reverse names
            // of 192.0.2.20 and 192.0.2.21 with w.test appended
            "--local=/w.test/",
            "--local=/2.0.192.in-addr.arpa/",
            "--ptr-record=20.2.0.192.in-addr.arpa.w.test,wildcard.w.test",
            "--ptr-record=21.2.0.192.in-addr.arpa.w.test,wildcard.w.test",
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
        // the server does not know a name the hosts file has: it exists,
        // without records of the type
        {"alpha.example.test", ns_t_mx, 0, {}},
        // a final dot in the file or in the question: the same name
        {"trail.example.test.", ns_t_a, 0, {"A 192.0.2.11"}},
        {"trail.example.test", ns_t_a, 0, {"A 192.0.2.11"}},
        {"alpha.example.test.", ns_t_a, 0, {"A 192.0.2.7"}},
        {"trail.example.test", ns_t_mx, 0, {}},
        // a name in UTF-8, whose bytes a question reads back escaped
        {"b\u00fccher.example.test", ns_t_a, 0, {"A 192.0.2.13"}},
        {"b\u00fccher.example.test", ns_t_mx, 0, {}},
    };
    Resolver resolver;
    for (const Case& c : cases) {
        Outcome outcome = resolver.lookup(c.name, c.type);
        EXPECT_EQ(outcome.kind, "answer") << c.name;
        EXPECT_EQ(outcome.rcode, c.rcode) << c.name;
        EXPECT_EQ(outcome.answers, c.answers) << c.name;
    }
}

TEST_F(Dnsmasq, SearchListOrder) {
    std::string longest = std::string(63, 'a') + "." + std::string(63, 'b') + "." + std::string(63, 'c') +
                          "." + std::string(60, 'd');
    struct Case {
        std::vector<std::string> search;
        const char* name;
        int rcode;
        std::vector<std::string> answers;
        uint8_t ndots = 1;
        // the name is an address: its reverse lookup
        bool reverse = false;
    } cases[] = {
        // the first candidate answers NOERROR without records, the next
        // NXDOMAIN, the bare name NXDOMAIN: the first answer stands
        {{"corp.test", "example.test"}, "only", 0, {}},
        // unless a later candidate has records
        {{"corp.test", "example.test"}, "both", 0, {"A 192.0.2.40"}},
        // every candidate missing: the last NXDOMAIN
        {{"corp.test", "example.test"}, "nothing", 3, {}},
        // a candidate the server cannot answer (no server for it: REFUSED),
        // the name itself missing: not known to be missing, the failure stands
        {{"nowhere"}, "missing.example.test", 5, {}, 3},
        // an empty entry stops the walk at the bare name
        {{"corp.test", "", "example.test"}, "www", 5, {}},
        // a candidate too long for a query gives way to the next one
        {{longest, "example.test"}, "www", 0, {"A 192.0.2.10"}},
        // a final dot: never searched
        {{"example.test"}, "www.", 5, {}},
        // a name built from an address is complete, however few its dots:
        // never searched, also when it does not exist
        {{"w.test"}, "192.0.2.20", 0, {"PTR printer.example.test"}, 6, true},
        {{"w.test"}, "192.0.2.21", 3, {}, 6, true},
    };
    for (const Case& c : cases) {
        auto config = std::make_shared<DNS::Config>();
        config->nameserver(DNS::Ip("127.0.0.1")).ndots(c.ndots);
        for (const std::string& domain : c.search)
            config->searchpath(domain);
        Resolver resolver(config);
        Outcome outcome = c.reverse ? resolver.lookup(DNS::Ip(c.name)) : resolver.lookup(c.name, ns_t_a);
        EXPECT_EQ(outcome.kind, "answer") << c.name;
        EXPECT_EQ(outcome.rcode, c.rcode) << c.name;
        EXPECT_EQ(outcome.answers, c.answers) << c.name;
    }
}

TEST_F(Dnsmasq, ReverseLookupsAndManyAtOnce) {
    Resolver resolver;
    Recorder server, local;
    ASSERT_NE(resolver.context().query(DNS::Ip("192.0.2.20"), DNS::Bits(), &server), nullptr);
    ASSERT_NE(resolver.context().query(DNS::Ip("192.0.2.7"), DNS::Bits(), &local), nullptr);
    resolver.run();
    EXPECT_EQ(server.outcome.answers, std::vector<std::string>{"PTR printer.example.test"});
    EXPECT_EQ(local.outcome.answers, std::vector<std::string>{"PTR alpha"});

    // one at a time: the others wait their turn
    EXPECT_EQ(resolver.context().core().capacity(0).capacity(), 1u);
    EXPECT_EQ(resolver.context().core().capacity(100000).capacity(), 32768u);
    resolver.context().core().capacity(1);
    std::vector<Recorder> recorders(20);
    for (Recorder& recorder : recorders)
        ASSERT_NE(resolver.context().query("www.example.test", ns_t_a, DNS::Bits(), &recorder), nullptr);
    EXPECT_EQ(resolver.context().core().inflight(), 1u);
    resolver.run();
    for (const Recorder& recorder : recorders) {
        EXPECT_EQ(recorder.calls, 1);
        EXPECT_EQ(recorder.outcome.answers, std::vector<std::string>{"A 192.0.2.10"});
    }
}

// Destroys the context from inside its first callback.
class Destroyer : public DNS::Handler {
public:
    explicit Destroyer(std::unique_ptr<DNS::Context>& context) : _context(context) {}
    void onReceived(const DNS::Operation*, const DNS::Response&) override {
        ++calls;
        _context.reset();
    }
    int calls = 0;

private:
    std::unique_ptr<DNS::Context>& _context;
};

TEST_F(Dnsmasq, AHandlerMayDestroyTheContext) {
    Orvanta::Event::ThreadLoop loop;
    DNS::LibEv adapter(loop.loop(), true);
    auto context = std::make_unique<DNS::Context>(&adapter, true);
    Destroyer destroyer(context);
    for (const char* name : {"www.example.test", "alias.example.test", "big.example.test", "alpha", "www"})
        ASSERT_NE(context->query(name, ns_t_a, DNS::Bits(), &destroyer), nullptr);
    loop.run();
    EXPECT_EQ(destroyer.calls, 1);
    EXPECT_EQ(context, nullptr);
}

// Throws from its handler slot.
class Thrower : public DNS::Handler {
public:
    void onResolved(const DNS::Operation*, const DNS::Response&) override {
        throw std::runtime_error("handler");
    }
};

TEST_F(Dnsmasq, AHandlersExceptionComesOutOfTheQuery) {
    Orvanta::Dns::Context context;
    Thrower thrower;
    try {
        context.query("www.example.test", ns_t_a, &thrower);
        ADD_FAILURE() << "no exception";
    } catch (const std::runtime_error& error) {
        EXPECT_STREQ(error.what(), "handler");
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
