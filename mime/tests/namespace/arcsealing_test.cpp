// Sealing and validating with keys fetched through our resolver from dnsmasq
// in the DNS tests' private namespace: hop after hop, and a chain whose key
// is not published. Needs root; skips without it.
#include "dns/host/hostname.h"
#include "dns/resolver/blockingcontext.h"
#include "dns/tests/namespace/namespace.h"
#include "mime/authentication/arcpublickeys.h"
#include "mime/authentication/arcsignatures.h"
#include "mime/authentication/arcstatus.h"
#include "mime/authentication/authenticationresults.h"
#include "mime/authentication/dkimkey.h"
#include "mime/grammar/capabilities.h"
#include "mime/message/object.h"
#include "mime/tests/dkimkeys.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

using namespace Orvanta::Mime;
namespace Peer = Orvanta::Mime::Test;

namespace {

std::string const plain =
    "From: joe@mail.example.test\r\nTo: ann@example.org\r\nSubject: hops\r\n\r\nBody.\r\n";

class ArcThroughDns : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        std::string reason;
        if (!Orvanta::Test::enterNamespace(reason)) return;
        Orvanta::Test::overlay("/etc/resolv.conf", "nameserver 127.0.0.1\noptions timeout:2\n");
        std::string record = "v=DKIM1; k=rsa; p=" + Peer::testKey().record;
        std::string argument = "--txt-record=ours._domainkey.ours.example.test";
        for (size_t at = 0; at < record.size(); at += 255)
            argument += "," + record.substr(at, 255);
        server = std::make_unique<Orvanta::Test::Child>(
            Orvanta::Test::dnsmasq({argument, "--local=/example.test/"}));
        ASSERT_TRUE(Orvanta::Test::listening("127.0.0.1")) << "dnsmasq did not start";
    }
    static void TearDownTestSuite() { server.reset(); }

    void SetUp() override {
        std::string reason;
        if (!Orvanta::Test::enterNamespace(reason)) GTEST_SKIP() << reason;
    }

    // one hop: the chain validated through DNS, then sealed through DNS
    static std::string hop(const std::string& text, const char* domain, std::string& result) {
        Orvanta::Dns::Context context;
        AuthenticationResults results("mx.example.test");
        {
            Object before(text.data(), text.size());
            ArcSignatures signatures(before);
            ArcPublicKeys keys(context, signatures);
            ArcStatus status(before, signatures, keys);
            result = std::string(status.result()) + " " + status.message();
            results.add(status);
        }
        Object message(text.data(), text.size());
        DkimKey key(Peer::testKey().privateKey, Orvanta::Dns::Hostname(domain, false), "ours");
        if (!message.resign(context, Capabilities::utf8(), key, results, 0, false)) return "";
        std::string added;
        for (size_t i = 0; i < 3; ++i)
            added += std::string(message.header[i].data(), message.header[i].size());
        return added + text;
    }

    static std::unique_ptr<Orvanta::Test::Child> server;
};

std::unique_ptr<Orvanta::Test::Child> ArcThroughDns::server;

TEST_F(ArcThroughDns, HopAfterHop) {
    std::string result;
    std::string text = plain;
    const char* expected[] = {"none ", "pass ", "pass "};
    for (const char* before : expected) {
        text = hop(text, "ours.example.test", result);
        ASSERT_FALSE(text.empty());
        EXPECT_EQ(result, before);
    }
    hop(text, "ours.example.test", result);
    EXPECT_EQ(result, "pass ");
}

TEST_F(ArcThroughDns, AKeyThatIsNotPublished) {
    std::string result;
    // sealed for a domain whose key no one publishes: the next hop fails
    // the chain, and still seals it, as failed
    std::string text = hop(plain, "unknown.example.test", result);
    ASSERT_FALSE(text.empty());
    std::string next = hop(text, "ours.example.test", result);
    EXPECT_EQ(result, "fail Permanent error fetching DNS");
    ASSERT_FALSE(next.empty());
    EXPECT_NE(next.find("cv=fail"), std::string::npos) << next.substr(0, 300);
}

} // namespace
