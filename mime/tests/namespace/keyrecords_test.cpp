// Keys fetched through our resolver from dnsmasq in the DNS tests' private
// namespace: what each kind of key record does to a check, and lookups that
// fail. Needs root; skips without it.
#include "dns/host/ip.h"
#include "dns/resolver/blockingcontext.h"
#include "dns/resolver/config.h"
#include "dns/tests/namespace/namespace.h"
#include "mime/authentication/canonicalization.h"
#include "mime/authentication/dkimsignature.h"
#include "mime/authentication/signaturestatus.h"
#include "mime/grammar/capabilities.h"
#include "mime/message/object.h"
#include "mime/tests/dkimkeys.h"
#include "openssl/tests/keyfiles.h"

#include <arpa/inet.h>
#include <gtest/gtest.h>

#include <memory>
#include <string>

using namespace Orvanta::Mime;
namespace Peer = Orvanta::Mime::Test;

namespace {

std::string const message =
    "From: joe@mail.example.test\r\nTo: ann@example.org\r\nSubject: keys\r\n\r\nBody.\r\n";

// the base64 body of a PEM public key
std::string bare(const std::string& pem) {
    std::string out;
    size_t end = pem.find("-----END");
    for (size_t i = pem.find('\n') + 1; i < end; ++i)
        if (pem[i] != '\n') out += pem[i];
    return out;
}

// a TXT record argument of dnsmasq, cut into strings of 255 bytes
std::string txt(const std::string& name, const std::string& text) {
    std::string out = "--txt-record=" + name + "._domainkey.example.test";
    for (size_t at = 0; at < text.size(); at += 255)
        out += "," + text.substr(at, 255);
    return out;
}

class KeyRecords : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        std::string reason;
        if (!Orvanta::Test::enterNamespace(reason)) return;
        Orvanta::Test::overlay("/etc/resolv.conf",
                               "nameserver 127.0.0.1\nsearch example.test\noptions timeout:2\n");
        std::string key = Peer::testKey().record;
        std::string other = bare(Orvanta::OpenSSL::Test::keyFiles("ec").publicPem);
        server = std::make_unique<Orvanta::Test::Child>(Orvanta::Test::dnsmasq({
            txt("good", "v=DKIM1; k=rsa; p=" + key),
            txt("bare", "p=" + key),
            txt("services", "v=DKIM1; s=other : email; p=" + key),
            txt("web", "v=DKIM1; s=web; p=" + key),
            txt("hashes", "v=DKIM1; h=sha1:sha256; p=" + key),
            txt("sha1", "v=DKIM1; h=sha1; p=" + key),
            txt("ed", "v=DKIM1; k=ed25519; p=" + key),
            txt("revoked", "v=DKIM1; k=rsa; p="),
            txt("strict", "v=DKIM1; t=y:s; p=" + key),
            txt("testing", "v=DKIM1; t=y; p=" + key),
            txt("garbled", "v=DKIM1; p=notakey"),
            txt("two", "v=DKIM1; p=" + other),
            txt("two", "v=DKIM1; p=" + key),
            txt("wrong", "v=DKIM1; p=" + other),
            txt("future", "v=DKIM2; p=" + key),
            "--local=/example.test/",
        }));
        ASSERT_TRUE(Orvanta::Test::listening("127.0.0.1")) << "dnsmasq did not start";
    }
    static void TearDownTestSuite() { server.reset(); }

    void SetUp() override {
        std::string reason;
        if (!Orvanta::Test::enterNamespace(reason)) GTEST_SKIP() << reason;
    }

    static std::unique_ptr<Orvanta::Test::Child> server;
};

std::unique_ptr<Orvanta::Test::Child> KeyRecords::server;

std::string check(const Orvanta::Dns::Context& context, const std::string& selector,
                  const std::string& identity = "") {
    std::string tags =
        "v=1; a=rsa-sha256; c=relaxed/simple; d=example.test; s=" + selector + "; h=from:to:subject";
    if (!identity.empty()) tags += "; i=" + identity;
    std::string text = Peer::signWith(tags, message);
    Object object(text.data(), text.size());
    const Value& value = object.header.get("dkim-signature");
    DkimSignature signature(value.data(), value.size(), true, false);
    DkimStatus status;
    status.initialize(context, object, signature);
    return std::string(status.result()) + (status.message() ? std::string(": ") + status.message() : "");
}

TEST_F(KeyRecords, EachKindOfRecord) {
    Orvanta::Dns::Context context;
    struct Case {
        const char* selector;
        const char* identity;
        const char* expected;
    } const cases[] = {
        {"good", "", "pass"},
        {"bare", "", "pass"},
        {"services", "", "pass"},
        {"web", "", "permerror: DNS record does not support email"},
        {"hashes", "", "pass"},
        {"sha1", "", "permerror: Algorithm key does not match signature"},
        {"ed", "", "permerror: Only RSA keys are supported"},
        {"revoked", "", "permerror: DNS public key is empty"},
        {"strict", "joe@mail.example.test", "permerror: Invalid AUID"},
        {"strict", "joe@example.test", "pass"},
        {"testing", "joe@mail.example.test", "pass"},
        {"garbled", "", "permerror: Unknown, caught exception"},
        {"two", "", "pass"},
        {"wrong", "", "permerror: inappropriate key algorithm"},
        {"future", "", "permerror: Permanent error fetching DNS"},
        {"absent", "", "permerror: Permanent error fetching DNS"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(check(context, c.selector, c.identity), c.expected) << c.selector;
}

TEST_F(KeyRecords, SignedBySignerVerifiedThroughDns) {
    std::string text = message;
    Object object(text.data(), text.size());
    ASSERT_TRUE(object.sign(Capabilities::utf8(), Peer::signingKey("rsa-sha256", "example.test", "good"), 0,
                            false, Canonicalization(false, false)));
    const Value& value = object.header.get("dkim-signature");
    DkimSignature signature(value.data(), value.size(), true, false);
    DkimStatus status;
    EXPECT_EQ(status.initialize(Orvanta::Dns::Context(), object, signature), Status::pass)
        << (status.message() ? status.message() : "");
}

TEST_F(KeyRecords, AServerThatDoesNotAnswerIsATemporaryError) {
    in_addr silent{};
    inet_pton(AF_INET, "127.0.0.9", &silent);
    DNS::Config config;
    config.nameserver(DNS::Ip(silent)).timeout(0.2).attempts(1).interval(0.1);
    EXPECT_EQ(check(Orvanta::Dns::Context(config), "good"), "temperror: Temporary exception fetching DNS");
}

} // namespace
