// ARC values, set ordering, chain validation and sealing as a user of the
// library sees them: what parses, what a chain is reported as and why, and
// what sealing and set removal do to a header.
#include "dns/host/exception.h"
#include "mime/authentication/arcauthenticationresults.h"
#include "mime/authentication/arcmessagesignature.h"
#include "mime/authentication/arcpublickeys.h"
#include "mime/authentication/arcsealsignature.h"
#include "mime/authentication/arcsignatures.h"
#include "mime/authentication/arcstatus.h"
#include "mime/authentication/dkimkey.h"
#include "mime/grammar/capabilities.h"
#include "mime/message/header.h"
#include "mime/message/object.h"
#include "mime/tests/arckeys.h"
#include "mime/tests/dkimkeys.h"
#include "openssl/tests/keyfiles.h"

#include <gtest/gtest.h>

#include <functional>
#include <stdexcept>

using namespace Orvanta::Mime;
namespace Peer = Orvanta::Mime::Test;

namespace {

// what a parse gave: its result, or the text of what it threw
template <typename Parse>
std::string outcome(const Parse& parse) {
    try {
        return parse();
    } catch (const std::exception& error) {
        return std::string("error: ") + error.what();
    }
}

TEST(ArcValues, AuthenticationResultsPrefix) {
    struct Case {
        const char* text;
        const char* expected; // instance and bytes taken, or the error
    } cases[] = {
        {"i=1; mx.example; none", "1 4"},
        {" i = 3 ;", "3 8"},
        {"(first) i=(one)12;", "12 18"},
        {"i=0;", "0 4"},
        {"i=-2;", "-2 5"},
        {"i=12ab;", "12 7"},
        {"I=1;", "error: Arc-Authentication-Results header does not start with i"},
        {"cv=1;", "error: Arc-Authentication-Results header does not start with i"},
        {"i 1;", "error: missing ="},
        {"i=1 mx.example", "error: missing ;"},
        {"i=x;", "error: stoi"},
        {"i=99999999999;", "error: stoi"},
        {"", "error: Keyword may not be empty"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(outcome([&] {
                      ArcAuthenticationInstance prefix(c.text, strlen(c.text));
                      return std::to_string(prefix.instance()) + " " + std::to_string(prefix.consumed());
                  }),
                  c.expected)
            << c.text;
}

TEST(ArcValues, AuthenticationResultsWrittenBack) {
    struct Case {
        const char* text;
        const char* written;
    } cases[] = {
        {"i=1; mx.example; none", "i=1;mx.example; none"},
        {"i = 2 ; mx.example; dkim=pass header.i=@example.com",
         "i=2;mx.example; dkim=pass header.i=@example.com"},
        {"i=-2; mx.example; none", "i=-2;mx.example; none"},
        // a value that is no token stays quoted
        {"i=1; mx.example; dkim=fail reason=\"x,y\" header.d=\"mail.m\xc3\xbcller.de\"",
         "i=1;mx.example; dkim=fail reason=\"x,y\" header.d=\"mail.m\xc3\xbcller.de\""},
    };
    for (const auto& c : cases) {
        ArcAuthenticationResults value(c.text, strlen(c.text), true);
        EXPECT_EQ(value.str(true), c.written) << c.text;
        // handed around as its base it still writes its prefix
        const AuthenticationResults& base = value;
        EXPECT_EQ(base.str(true), c.written) << c.text;
    }
    // a long value folds on the header road and keeps its prefix
    Header header;
    header.set("ARC-Authentication-Results",
               "i=4; mx.example; dkim=pass header.i=@example.com header.b=abcdefgh; spf=pass "
               "smtp.mailfrom=someone@example.com; dmarc=pass header.from=example.com");
    std::string line(header[0].data(), header[0].size());
    EXPECT_EQ(line.rfind("ARC-Authentication-Results: i=4;mx.example; dkim=pass", 0), 0u) << line;
    EXPECT_NE(line.find("\r\n "), std::string::npos) << line;
}

TEST(ArcValues, SealsAndTheirChainValidation) {
    std::string const tags = "a=rsa-sha256; d=example.org; s=sel; b=YWJj";
    struct Case {
        std::string text;
        bool strict;
        const char* expected; // instance, cv() and complete(), or the error
    } cases[] = {
        {"i=1; cv=none; t=12345; " + tags, true, "1 cv complete"},
        // sealers leave t= out
        {"i=1; cv=none; " + tags, true, "1 cv complete"},
        {"i=1; cv=NoNe; " + tags, true, "1 cv complete"},
        {"i=2; cv=pass; " + tags, true, "2 cv complete"},
        {"i=1; cv=pass; " + tags, true, "1 - complete"},
        {"i=2; cv=none; " + tags, true, "2 - complete"},
        {"i=3; cv=fail; " + tags, true, "3 - complete"},
        {"i=1; " + tags, false, "1 - -"},
        {"i=1; " + tags, true, "error: header is incomplete"},
        {"cv=none; " + tags, false, "error: map::at"},
        {"i=x; cv=none; " + tags, false, "error: stoi"},
        {"i=1; cv=none; i=2; " + tags, false, "error: duplicate names"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(outcome([&] {
                      ArcSealSignature seal(c.text.data(), c.text.size(), c.strict);
                      return std::to_string(seal.instance()) + (seal.cv() ? " cv" : " -") +
                             (seal.complete() ? " complete" : " -");
                  }),
                  c.expected)
            << c.text;
}

TEST(ArcValues, MessageSignatures) {
    std::string const tags = "a=rsa-sha256; d=example.org; s=sel; bh=YWJj; b=YWJj";
    struct Case {
        std::string text;
        bool strict;
        const char* expected;
    } cases[] = {
        {"i=2; h=from:to; " + tags, true, "2 complete"},
        {"i=2; " + tags, true, "error: header is incomplete"},
        {"i=2; " + tags, false, "2 -"},
        {"h=from; " + tags, true, "error: map::at"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(outcome([&] {
                      ArcMessageSignature signature(c.text.data(), c.text.size(), c.strict);
                      return std::to_string(signature.instance()) +
                             (signature.complete() ? " complete" : " -");
                  }),
                  c.expected)
            << c.text;
    std::string text = "i=2; h=from; " + tags;
    ArcMessageSignature signature(text.data(), text.size(), true);
    signature.instance(7);
    EXPECT_EQ(signature.str(true), "i=7; h=from; " + tags);
    EXPECT_EQ(std::string(signature.key().data(), signature.key().size()), "ARC-Message-Signature");
}

// a set of instance i with the given seal tags (no real signatures)
std::string set(int i, const std::string& seal = "", const char* cv = nullptr) {
    std::string n = std::to_string(i);
    std::string word = cv ? cv : (i == 1 ? "none" : "pass");
    return "ARC-Seal: i=" + n + "; cv=" + word + "; a=rsa-sha256; d=example.org; s=sel; b=YWJj" + seal +
           "\r\nARC-Message-Signature: i=" + n +
           "; a=rsa-sha256; d=example.org; s=sel; h=from; bh=YWJj; b=YWJj\r\n" +
           "ARC-Authentication-Results: i=" + n + "; mx.example; arc=none\r\n";
}

TEST(ArcSets, OrderingAndSealChecks) {
    std::string const rest = "From: a@example.com\r\n\r\nbody\r\n";
    struct Case {
        const char* name;
        std::string header;
        const char* error;
        size_t sets;
    } cases[] = {
        {"no sets", "", "", 0},
        {"three sets", set(3) + set(2) + set(1), "", 3},
        {"interleaved, names in any case",
         "arc-seal: i=2; cv=pass; a=rsa-sha256; d=example.org; s=sel; b=YWJj\r\n" + set(1) +
             "ARC-MESSAGE-SIGNATURE: i=2; a=rsa-sha256; d=example.org; s=sel; h=from; bh=YWJj; b=YWJj\r\n"
             "Arc-Authentication-Results: i=2; mx.example; arc=pass\r\n",
         "", 2},
        {"results a strict reading refuses",
         set(1) + "ARC-Authentication-Results: i=2; mx.example; dkim\r\n" +
             set(2).substr(0, set(2).rfind("ARC-Authentication-Results")),
         "", 2},
        {"a name with more after it is no ARC line", set(1) + "ARC-Seals: i=2\r\n", "", 1},
        {"instance 0", set(0),
         "Could not determine ordering: arc header contains invalid instance identifier", 0},
        {"instance 51", set(51),
         "Could not determine ordering: arc header contains invalid instance identifier", 0},
        {"instance gap", set(3) + set(1),
         "Could not determine ordering: we miss a header in the arc header set", 0},
        {"duplicate seal", set(1) + "ARC-Seal: i=1; cv=none; a=rsa-sha256; d=example.org; s=sel; b=YWJj\r\n",
         "Could not determine ordering: two arc headers have the same istance identifier", 0},
        {"seal without i=", "ARC-Seal: cv=none; a=rsa-sha256; d=example.org; s=sel; b=YWJj\r\n",
         "Could not determine ordering: map::at", 0},
        {"seal with a bad i=", "ARC-Seal: i=; cv=none; a=rsa-sha256; d=example.org; s=sel; b=YWJj\r\n",
         "Could not determine ordering: stoi", 0},
        {"message signature without h=",
         "ARC-Message-Signature: i=1; a=rsa-sha256; d=example.org; s=sel; bh=YWJj; b=YWJj\r\n",
         "Could not determine ordering: header is incomplete", 0},
        {"negative results instance", "ARC-Authentication-Results: i=-1; mx.example; none\r\n",
         "Could not determine ordering: arc header contains invalid instance identifier", 0},
        {"cv=pass at instance 1", set(1, "", "pass"), "Invalid arc-seal hop[1]: invalid cv", 1},
        {"cv=none at instance 2", set(2, "", "none") + set(1), "Invalid arc-seal hop[2]: invalid cv", 2},
        {"cv=fail", set(2, "", "fail") + set(1), "Invalid arc-seal hop[2]: invalid cv", 2},
    };
    for (const auto& c : cases) {
        std::string text = c.header + rest;
        Object message(text.data(), text.size());
        ArcSignatures signatures(message);
        EXPECT_EQ(signatures.error(), c.error) << c.name;
        EXPECT_EQ(signatures.size(), c.sets) << c.name;
        if (c.sets != 0 && signatures.error().empty()) {
            EXPECT_EQ(signatures.signature().instance(), static_cast<int>(c.sets)) << c.name;
            EXPECT_EQ(signatures.seals().size(), c.sets) << c.name;
        }
    }
}

std::string const plain =
    "From: Alice <alice@example.com>\r\nTo: bob@example.net\r\nSubject: sets\r\n\r\nHello.\r\n";

// a chain of three of our sets
const std::string& threeSets() {
    static std::string const text =
        Peer::seal(Peer::seal(Peer::seal(plain, "a.example"), "b.example"), "a.example");
    return text;
}

using Lookup = ArcPublicKeys::Lookup;

Lookup records(const std::string& text) {
    return [text](const ArcPublicKeys::Key& key, Orvanta::Dns::DkimRecords& records) {
        Peer::answer(records, key.selector + "._domainkey." + key.domain, text);
    };
}

template <typename Failure>
Lookup failing(const Failure& failure) {
    return [failure](const ArcPublicKeys::Key&, Orvanta::Dns::DkimRecords&) { throw failure; };
}

TEST(ArcChain, ResultsAndReasons) {
    std::string const key = "v=DKIM1; k=rsa; p=" + Peer::testKey().record;
    std::string altered = threeSets();
    altered.replace(altered.find("i=1;a.example; arc=none"), 23, "i=1;a.example; arc=pass");
    struct Case {
        const char* name;
        std::string text;
        Lookup lookup;
        const char* result;
        const char* message;
        bool temporary;
    } cases[] = {
        {"no chain", plain, Peer::testKeyLookup(), "none", "", false},
        {"three sets", threeSets(), Peer::testKeyLookup(), "pass", "", false},
        {"a body changed", threeSets() + "more\r\n", Peer::testKeyLookup(), "fail",
         "Top AMS invalid: Body hash does not match", false},
        {"an earlier set's results changed", altered, Peer::testKeyLookup(), "fail",
         "Invalid arc-seal hop[3]: Header hash does not match", false},
        {"a lookup timed out", threeSets(), failing(Orvanta::Dns::TimeoutException()), "fail",
         "Temporary exception fetching DNS", true},
        {"no such key", threeSets(), failing(Orvanta::Dns::RcodeException(3)), "fail",
         "Permanent error fetching DNS", false},
        {"a lookup failed otherwise", threeSets(), failing(std::runtime_error("no")), "fail",
         "Error fetching DNS records", false},
        {"another key type", threeSets(), records("v=DKIM1; k=ed25519; p=" + Peer::testKey().record), "fail",
         "Top AMS invalid: Only RSA keys are supported", false},
        {"a key of another type", threeSets(),
         records("v=DKIM1; k=rsa; p=" + Peer::record(Orvanta::OpenSSL::Test::keyFiles("ec").publicPem)),
         "fail", "Top AMS invalid: inappropriate key algorithm", false},
        {"a key for other services", threeSets(), records(key + "; s=other"), "fail",
         "Top AMS invalid: DNS record does not support email", false},
        {"a key for other hashes", threeSets(), records(key + "; h=sha1"), "fail",
         "Top AMS invalid: Algorithm key does not match signature", false},
        {"a revoked key", threeSets(), records("v=DKIM1; k=rsa; p="), "fail",
         "Top AMS invalid: DNS public key is empty", false},
        {"a revoked key named again", threeSets(), records("v=DKIM1; k=rsa; p=; p=" + Peer::testKey().record),
         "fail", "Top AMS invalid: Key record names a tag twice", false},
        {"a key record with a bare word", threeSets(), records(key + "; junk"), "fail",
         "Top AMS invalid: Key record holds a piece that is no tag=value", false},
        {"a key under 1024 bits", threeSets(),
         records("v=DKIM1; k=rsa; p=" + Peer::record(Orvanta::OpenSSL::Test::keyFiles("rsa512").publicPem)),
         "fail", "Top AMS invalid: Public key too small: RSA keys need at least 1024 bits", false},
        {"a key that does not fit", threeSets(),
         records("v=DKIM1; k=rsa; p=MIIBIjANBgkqhkiG9w0BAQEFAAOCAQ8A"), "fail",
         "Top AMS invalid: Unknown, caught exception", false},
    };
    for (const auto& c : cases) {
        Object message(c.text.data(), c.text.size());
        ArcSignatures signatures(message);
        ArcPublicKeys keys(c.lookup, signatures);
        ArcStatus status(message, signatures, keys);
        EXPECT_STREQ(status.result(), c.result) << c.name;
        EXPECT_EQ(status.message(), c.message) << c.name;
        EXPECT_EQ(status.temporary(), c.temporary) << c.name;
    }
}

TEST(ArcChain, KeysAreFetchedAsValidationNeedsThem) {
    // sets sealed under three domains: the newest signature and seal first,
    // and nothing after the first key that fails
    std::string const text =
        Peer::seal(Peer::seal(Peer::seal(plain, "mx.example", "one.example"), "mx.example", "two.example"),
                   "mx.example", "three.example");
    Object message(text.data(), text.size());
    ArcSignatures signatures(message);
    std::string asked;
    ArcPublicKeys keys(
        [&](const ArcPublicKeys::Key& key, Orvanta::Dns::DkimRecords& records) {
            asked += key.domain + " ";
            if (key.domain == "two.example") throw Orvanta::Dns::RcodeException(3);
            Peer::testKeyLookup()(key, records);
        },
        signatures);
    EXPECT_EQ(asked, "");
    ArcStatus status(message, signatures, keys);
    EXPECT_EQ(asked, "three.example two.example ");
    EXPECT_EQ(status.message(), "Invalid arc-seal hop[2]: Permanent error fetching DNS");
}

TEST(ArcChain, KeysOfAnotherMessageAreNotEnough) {
    Object message(threeSets().data(), threeSets().size());
    ArcSignatures signatures(message);
    Object other(plain.data(), plain.size());
    ArcSignatures none(other);
    ArcPublicKeys keys(Peer::testKeyLookup(), none);
    EXPECT_THROW(
        {
            try {
                ArcStatus status(message, signatures, keys);
            } catch (std::runtime_error const& error) {
                EXPECT_STREQ(error.what(), "not enough public keys to determine validity");
                throw;
            }
        },
        std::runtime_error);
}

TEST(ArcSealing, NewSetsGoOnTop) {
    std::string once = Peer::seal(plain, "mx.example");
    Object message(once.data(), once.size());
    const char* expected[] = {"ARC-Seal: i=1; a=rsa-sha256; s=ours; d=ours.example; cv=none; t=",
                              "ARC-Message-Signature: i=1; a=rsa-sha256; q=dns/txt; c=relaxed/relaxed;",
                              "ARC-Authentication-Results: i=1;mx.example; arc=none"};
    for (size_t i = 0; i < 3; ++i) {
        std::string line(message.header[i].data(), message.header[i].size());
        EXPECT_EQ(line.rfind(expected[i], 0), 0u) << line;
    }
    // the seal of set 3 covers sets 1 and 2
    Object three(threeSets().data(), threeSets().size());
    ArcSignatures signatures(three);
    EXPECT_EQ(signatures.size(), 3u);
    EXPECT_EQ(signatures.seals()[2].chain(), "pass");
}

TEST(ArcSealing, RefusedSealsLeaveTheHeaderAlone) {
    DkimKey key(Peer::testKey().privateKey, Orvanta::Dns::Hostname("ours.example", false), "ours");
    auto ec = Orvanta::OpenSSL::Test::readPrivateKey(Orvanta::OpenSSL::Test::keyFiles("ec").privatePath);
    DkimKey other(ec.get(), Orvanta::Dns::Hostname("ours.example", false), "ours");
    auto pss =
        Orvanta::OpenSSL::Test::readPrivateKey(Orvanta::OpenSSL::Test::keyFiles("rsa-pss").privatePath);
    DkimKey padded(pss.get(), Orvanta::Dns::Hostname("ours.example", false), "ours");
    AuthenticationResults results("mx.example");
    struct Case {
        const char* name;
        std::string text;
        const DkimKey* key;
    } cases[] = {
        {"duplicate seal",
         "ARC-Seal: i=1; cv=none; a=rsa-sha256; d=example.org; s=sel; b=YWJj\r\n" + threeSets(), &key},
        {"instance gap", set(2) + plain, &key},
        // a= names RSA: a key of another type cannot make the signature
        {"a key of another type", threeSets(), &other},
        // nor an RSA-PSS key, which pads with PSS, not PKCS #1 v1.5
        {"an RSA-PSS key", threeSets(), &padded},
        // the message signature must sign From, or validators fail the set
        {"no From field", "To: ben@example.net\r\nSubject: no from\r\n\r\nbody\r\n", &key},
        {"an empty From field", "From:\r\nTo: ben@example.net\r\n\r\nbody\r\n", &key},
    };
    DkimKey sha3(Peer::testKey().privateKey, Orvanta::Dns::Hostname("ours.example", false), "ours",
                 "rsa-sha3");
    std::string const unsupported = plain;
    for (const auto& c : cases) {
        Object message(c.text.data(), c.text.size());
        size_t before = message.header.size();
        ArcSignatures signatures(message);
        ArcPublicKeys keys(Peer::testKeyLookup(), signatures);
        EXPECT_FALSE(message.resign(Capabilities::utf8(), signatures, keys, *c.key, results, 0, false))
            << c.name;
        EXPECT_EQ(message.header.size(), before) << c.name;
    }
    Object message(unsupported.data(), unsupported.size());
    ArcSignatures signatures(message);
    ArcPublicKeys keys(Peer::testKeyLookup(), signatures);
    EXPECT_FALSE(message.resign(Capabilities::utf8(), signatures, keys, sha3, results, 0, false));
    EXPECT_FALSE(message.resign(Capabilities::utf8(), key, "mx.example", 0, false));
    EXPECT_EQ(message.header.size(), 3u);
}

TEST(ArcSealing, RemovingTheNewestSets) {
    struct Case {
        const char* name;
        std::string text;
        std::vector<std::string> ids;
        size_t removed;
    } cases[] = {
        {"newest set of a listed id", threeSets(), {"a.example"}, 3},
        {"down to the first set not listed", threeSets(), {"a.example", "b.example"}, 9},
        {"nothing listed", threeSets(), {}, 0},
        {"ids compare exactly", threeSets(), {"A.EXAMPLE"}, 0},
        {"a chain with a gap", set(3) + set(1) + plain, {"mx.example"}, 0},
    };
    for (const auto& c : cases) {
        Object message(c.text.data(), c.text.size());
        size_t before = message.header.size();
        message.unresign(c.ids);
        EXPECT_EQ(before - message.header.size(), c.removed) << c.name;
        // what is left is still a chain
        ArcSignatures signatures(message);
        EXPECT_EQ(signatures.error(),
                  c.name == std::string("a chain with a gap")
                      ? "Could not determine ordering: we miss a header in the arc header set"
                      : "")
            << c.name;
    }
}

} // namespace
