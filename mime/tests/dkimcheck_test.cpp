// Signing and checking with a key at hand: what a check reports for each
// kind of bad or unusual signature, tampering, and what signing (and sealing,
// which writes the key's values alike) does to a message.
#include "mime/authentication/arcpublickeys.h"
#include "mime/authentication/arcsignatures.h"
#include "mime/authentication/arcstatus.h"
#include "mime/authentication/authenticationresults.h"
#include "mime/authentication/bodyhash.h"
#include "mime/authentication/canonicalization.h"
#include "mime/authentication/dkimkey.h"
#include "mime/authentication/dkimsignature.h"
#include "mime/authentication/dkimsignatures.h"
#include "mime/authentication/signaturestatus.h"
#include "mime/grammar/capabilities.h"
#include "mime/message/object.h"
#include "mime/tests/arckeys.h"
#include "mime/tests/cost.h"
#include "mime/tests/dkimkeys.h"
#include "mime/tests/oracle.h"
#include "openssl/publickey.h"
#include "openssl/tests/keyfiles.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>
#include <vector>

using namespace Orvanta::Mime;

namespace {

std::string const message = "From: Alice <alice@example.com>\r\nTo: bob@example.net\r\nSubject: Hello\r\n\r\n"
                            "Hello Bob.\r\n\r\n";

DkimKey key(const char* algorithm = "rsa-sha256") {
    return Test::signingKey(algorithm);
}

std::string signWith(const std::string& tags, const std::string& text = message,
                     size_t length = BodyHash::whole) {
    return Test::signWith(tags, text, length);
}

const Orvanta::OpenSSL::PublicKey& publicKey() {
    static Orvanta::OpenSSL::PublicKey const key(Test::testKey().record.data(),
                                                 Test::testKey().record.size());
    return key;
}

struct Outcome {
    std::string result;
    std::string message;
};

Outcome check(const std::string& text, bool strict = false) {
    Object object(text.data(), text.size());
    const Value& value = object.header.get("dkim-signature");
    std::unique_ptr<DkimSignature> signature;
    try {
        signature = std::make_unique<DkimSignature>(value.data(), value.size(), true, false);
    } catch (const std::exception& e) {
        return {"unparsable", e.what()};
    }
    DkimStatus status;
    status.initialize(object, *signature, publicKey(), strict);
    return {status.result(), status.message() ? status.message() : ""};
}

std::string replace(std::string text, const std::string& from, const std::string& to) {
    size_t at = text.find(from);
    return at == std::string::npos ? text : text.replace(at, from.size(), to);
}

std::string const tags = "v=1; a=rsa-sha256; c=relaxed/relaxed; d=example.com; s=sel; h=from:to:subject";

TEST(DkimCheckTest, ReportsWhatIsWrongWithASignature) {
    std::string const tail = "More text.\r\n";
    std::string const longer = message + tail;
    struct Case {
        const char* name;
        std::string text;
        bool strict;
        Outcome expected;
    } const cases[] = {
        {"good", signWith(tags), false, {"pass", ""}},
        {"sha1", signWith(replace(tags, "rsa-sha256", "rsa-sha1")), false, {"pass", ""}},
        {"sha512", signWith(replace(tags, "rsa-sha256", "rsa-sha512")), false, {"pass", ""}},
        {"simple/simple", signWith(replace(tags, "relaxed/relaxed", "simple/simple")), false, {"pass", ""}},
        {"extension tag", signWith(tags + "; future=some value"), false, {"pass", ""}},
        {"identity below the domain", signWith(tags + "; i=joe@mail.example.com"), false, {"pass", ""}},
        {"identity below the domain, strict key",
         signWith(tags + "; i=joe@mail.example.com"),
         true,
         {"permerror", "Invalid AUID"}},
        {"identity in the domain, strict key", signWith(tags + "; i=joe@example.com"), true, {"pass", ""}},
        {"identity elsewhere",
         signWith(tags + "; i=joe@badexample.com"),
         false,
         {"permerror", "Invalid AUID"}},
        {"identity with a trailing dot",
         signWith(tags + "; i=@example.com."),
         false,
         {"unparsable", "missing ;"}},
        {"from not signed",
         signWith(replace(tags, "from:to", "to")),
         false,
         {"permerror", "From field not signed"}},
        {"expired", signWith(tags + "; x=1000000000"), false, {"permerror", "Signature expired"}},
        {"expires after 2038", signWith(tags + "; t=4102444800; x=4102444900"), false, {"pass", ""}},
        {"version 2",
         replace(signWith(tags), "v=1", "v=2"),
         false,
         {"permerror", "Unsupported signature version"}},
        {"unknown canonicalization",
         replace(signWith(tags), "relaxed/relaxed", "relaxed/nowsp"),
         false,
         {"permerror", "Unknown, caught exception"}},
        {"length covers the body", signWith(tags + "; l=12", message, 12), false, {"pass", ""}},
        {"length and text added", signWith(tags + "; l=12", message, 12) + tail, false, {"pass", ""}},
        {"no length and text added", signWith(tags) + tail, false, {"fail", "Body hash does not match"}},
        {"length beyond the body",
         signWith(tags + "; l=13", message, 13),
         false,
         {"fail", "Body hash does not match"}},
        {"length zero", signWith(tags + "; l=0", longer, 0), false, {"pass", ""}},
        {"header changed",
         replace(signWith(tags), "Subject: Hello", "Subject: Hellp"),
         false,
         {"fail", "Header hash does not match"}},
        {"headers reordered",
         replace(signWith(tags), "To: bob@example.net\r\nSubject: Hello\r\n",
                 "Subject: Hello\r\nTo: bob@example.net\r\n"),
         false,
         {"pass", ""}},
        {"same-name fields reordered",
         replace(signWith(tags + ":to", replace(message, "Subject", "To: x@example.org\r\nSubject")),
                 "To: bob@example.net\r\nTo: x@example.org", "To: x@example.org\r\nTo: bob@example.net"),
         false,
         {"fail", "Header hash does not match"}},
        {"body changed",
         replace(signWith(tags), "Hello Bob", "Hello Rob"),
         false,
         {"fail", "Body hash does not match"}},
        {"signature changed", replace(signWith(tags), "s=sel;", "s=sel; "), false, {"pass", ""}},
    };
    for (const auto& c : cases) {
        Outcome got = check(c.text, c.strict);
        EXPECT_EQ(got.result + ": " + got.message, c.expected.result + ": " + c.expected.message) << c.name;
    }
}

TEST(DkimCheckTest, ExceptionsInsideBecomePermerror) {
    std::string text = signWith(tags);
    Object object(text.data(), text.size());
    std::string value = "v=1; a=rsa-md5; c=relaxed/relaxed; d=example.com; s=sel; h=from; bh=AAAA; b=AAAA";
    DkimSignature signature(value.data(), value.size(), true, false);
    DkimStatus status;
    EXPECT_EQ(status.initialize(object, signature, publicKey(), false), Status::permerror);
    EXPECT_STREQ(status.message(), "Unknown, caught exception");
    // a key that is no RSA key cannot serve an RSA signature
    const std::string& ec = Orvanta::OpenSSL::Test::keyFiles("ec").publicPem;
    Orvanta::OpenSSL::PublicKey ecKey(ec.data(), ec.size());
    const Value& field = object.header.get("dkim-signature");
    DkimSignature real(field.data(), field.size(), true, false);
    EXPECT_EQ(status.initialize(object, real, ecKey, false), Status::permerror);
    EXPECT_STREQ(status.message(), "inappropriate key algorithm");
    EXPECT_EQ(status.initialize(object, real, publicKey(), false), Status::pass);
    // the field is not in the message
    std::string other = "v=1; a=rsa-sha256; d=example.com; s=sel; h=from; "
                        "bh=frcCV1k9oG9oKj3dpUqdJg1PxRT2RSN/XKdLCPjaYaY=; b=AAAA";
    std::string bare = "From: a@example.com\r\n\r\n";
    Object unsigned_(bare.data(), bare.size());
    DkimSignature absent(other.data(), other.size(), true, false);
    EXPECT_EQ(status.initialize(unsigned_, absent, publicKey(), false), Status::fail);
    EXPECT_STREQ(status.message(), "Could not find original signature in mime");
}

TEST(DkimCheckTest, HostileHeaderListsCostOneStepPerName) {
    // One name listed far more often than the message has fields of it, and
    // many names it has none of: a walk over the header per listed name
    // would take many minutes here, far past the test time-out.
    std::string fields;
    for (size_t i = 0; i < 200000; ++i)
        fields += "X: 1\r\n";
    std::string list;
    for (size_t i = 0; i < 1200000; ++i)
        list += ":x";
    for (size_t i = 0; i < 100000; ++i)
        list += ":n" + std::to_string(i);
    Outcome got = check(signWith(tags + list, fields + message));
    EXPECT_EQ(got.result + ": " + got.message, "pass: ");
}

TEST(DkimCheckTest, WeakRsaKeysNeitherSignNorVerify) {
    // RFC 8301: a signature made with an RSA key under 1024 bits is not valid;
    // nor can a key of another type make the RSA signature a= names, nor an
    // RSA-PSS key, which pads its signatures with PSS
    for (const char* kind : {"rsa512", "ec", "rsa-pss"}) {
        auto privateKey =
            Orvanta::OpenSSL::Test::readPrivateKey(Orvanta::OpenSSL::Test::keyFiles(kind).privatePath);
        DkimKey signer(privateKey.get(), Orvanta::Dns::Hostname("example.com", false), "sel");
        Object object(message.data(), message.size());
        EXPECT_FALSE(object.sign(Capabilities::utf8(), signer, 0, false, Canonicalization())) << kind;
        EXPECT_EQ(object.header.size(), 3u) << kind;
    }
    const auto& weak = Orvanta::OpenSSL::Test::keyFiles("rsa512");

    std::string text = Orvanta::Mime::Test::signWith(tags, message, BodyHash::whole, weak.privatePath);
    Object signed_(text.data(), text.size());
    const Value& field = signed_.header.get("dkim-signature");
    DkimSignature signature(field.data(), field.size(), true, false);
    Orvanta::OpenSSL::PublicKey publicKey(weak.publicPem.data(), weak.publicPem.size());
    DkimStatus status;
    EXPECT_EQ(status.initialize(signed_, signature, publicKey, false), Status::permerror);
    EXPECT_STREQ(status.message(), "Public key too small: RSA keys need at least 1024 bits");
}

// A record that is no plain tag list is no usable key, nor is one whose key
// is of another type than the signature's. Mail::DKIM reads the same of the
// rows it is asked about (it takes the last of a repeated tag).
TEST(DkimCheckTest, KeyRecordThatIsNoPlainTagListIsPermerror) {
    std::string text = signWith(tags);
    Object object(text.data(), text.size());
    const Value& field = object.header.get("dkim-signature");
    DkimSignature signature(field.data(), field.size(), true, false);
    const std::string& key = Orvanta::Mime::Test::testKey().record;
    const char* const untagged = "Key record holds a piece that is no tag=value";
    const std::string ec = Orvanta::Mime::Test::record(Orvanta::OpenSSL::Test::keyFiles("ec").publicPem);
    const std::string ed25519 = "MCowBQYDK2VwAyEAdrIi2OICU5TUMVDyDhKRTsX3pmKVpBkzuzmWfuv4Psw=";
    const char* const inappropriate = "inappropriate key algorithm";
    struct Case {
        std::string record;
        Outcome expected;
        bool peer;
    } const cases[] = {
        {"v=DKIM1; p=" + key, {"pass", ""}, true},
        // a revoked key made usable again
        {"v=DKIM1; p=; p=" + key, {"permerror", "Key record names a tag twice"}, false},
        {"v=DKIM1; k=rsa; p=" + key + "; k=rsa", {"permerror", "Key record names a tag twice"}, false},
        {"v=DKIM1; p=" + key + "; junk", {"permerror", untagged}, true},
        {"v=DKIM1; junk ; p=" + key, {"permerror", untagged}, true},
        // empty pieces are allowed
        {"v=DKIM1;; p=" + key + ";", {"pass", ""}, true},
        // an EC or Ed25519 key under a record for RSA
        {"v=DKIM1; k=rsa; p=" + ec, {"permerror", inappropriate}, true},
        {"v=DKIM1; p=" + ec, {"permerror", inappropriate}, true},
        {"v=DKIM1; p=" + ed25519, {"permerror", inappropriate}, true},
    };
    std::vector<Orvanta::Mime::Test::Request> requests;
    for (const auto& c : cases)
        if (c.peer) requests.push_back({"record", c.record});
    auto answers =
        Orvanta::Mime::Test::ask(requests, {"/usr/bin/perl", ORVANTA_SOURCE_DIR "/mime/tests/dkim_perl.pl"});
    size_t asked = 0;
    for (const auto& c : cases) {
        Orvanta::Dns::DkimRecords records;
        Orvanta::Mime::Test::answer(records, "sel._domainkey.example.com", c.record);
        DkimStatus status;
        status.initialize(object, signature, records);
        EXPECT_EQ(std::string(status.result()) + ": " + (status.message() ? status.message() : ""),
                  c.expected.result + ": " + c.expected.message)
            << c.record;
        if (!c.peer) continue;
        EXPECT_EQ(answers.at(asked++).at(0), c.expected.result == "pass" ? "valid" : "invalid")
            << "Mail::DKIM: " << c.record;
    }
}

TEST(DkimCheckTest, CheckingManySignaturesCostsLinearTime) {
    // n fields that anyone can write (the right body hash, another's b=),
    // each checked: finding its own field by parsing the others cost 78 s
    // for 5k fields
    std::string text = signWith(tags);
    std::string field = text.substr(16, text.find("From:") - 16);
    auto checkAll = [&field](size_t count) {
        std::string many;
        for (size_t i = 0; i < count; ++i)
            many += "DKIM-Signature: n=" + std::to_string(i) + "; " + field;
        many += message;
        Object object(many.data(), many.size());
        DkimSignatures signatures(object.header);
        size_t found = 0;
        for (const DkimSignature& signature : signatures.signatures()) {
            DkimStatus status;
            status.initialize(object, signature, publicKey(), false);
            found += std::strcmp(status.message(), "Header hash does not match") == 0;
        }
        EXPECT_EQ(found, count);
    };
    EXPECT_LT(Orvanta::Mime::Test::growth(checkAll, 500), Orvanta::Mime::Test::linear);
}

TEST(DkimCheckTest, SignaturesBuiltFromTheirFieldsFindThemInLinearTime) {
    // a caller walking the header builds each signature from its field's
    // value, then checks it: each found its own field by comparing it with
    // every other (the fields differ at their end, so each comparison read
    // a whole value)
    std::string text = signWith(tags);
    std::string value = text.substr(16, text.find("\r\nFrom:") - 16);
    auto findEach = [&value](size_t count) {
        std::string many;
        for (size_t i = 0; i < count; ++i)
            many += "DKIM-Signature: " + value + "; n=" + std::to_string(i) + "\r\n";
        many += message;
        Object object(many.data(), many.size());
        size_t found = 0;
        for (const Line& line : object.header.lines()) {
            if (!line.key.containsDkimSignature()) continue;
            DkimSignature signature(line.value.data(), line.value.size(), true, false);
            found += signature.line(object.header) == &line;
        }
        EXPECT_EQ(found, count);
    };
    EXPECT_LT(Orvanta::Mime::Test::growth(findEach, 2000), Orvanta::Mime::Test::linear);
}

std::string written(const Object& object) {
    std::string text;
    for (const Line& line : object.header.lines())
        text.append(line.data(), line.size());
    return text;
}

TEST(DkimCheckTest, SigningPutsOneFreshFieldOnTop) {
    std::string text = "DKIM-Signature: v=1; a=rsa-sha256; d=EXAMPLE.com; s=SEL; h=from; bh=AA; b=AA\r\n"
                       "DKIM-Signature: v=1; a=rsa-sha256; d=example.com; s=other; h=from; bh=AA; b=AA\r\n" +
                       message;
    Object object(text.data(), text.size());
    ASSERT_TRUE(object.sign(Capabilities::utf8(), key(), 0, false, Canonicalization(false, false)));
    ASSERT_EQ(object.header.size(), 5u);
    EXPECT_EQ(object.header.all("dkim-signature").size(), 2u);
    DkimSignature mine(object.header[0].value.data(), object.header[0].value.size(), true, false);
    EXPECT_EQ(mine.selector(), "sel");
    EXPECT_EQ(mine.headers().str(), "Subject:To:From");
    EXPECT_NE(std::string(object.header[1].value.data(), object.header[1].value.size()).find("s=other"),
              std::string::npos);
    for (size_t i = 0; i < object.header[0].size();) {
        size_t end = std::string(object.header[0].data(), object.header[0].size()).find("\r\n", i);
        EXPECT_LE(end - i, 78u);
        i = end + 2;
    }
    std::string signed_ = written(object) + "\r\n" + message.substr(message.find("\r\n\r\n") + 4);
    EXPECT_EQ(check(signed_).result, "pass");

    ASSERT_TRUE(object.sign(Capabilities::utf8(), key(), {"x-none"}, 1, true, Canonicalization()));
    DkimSignature oversigned(object.header[0].value.data(), object.header[0].value.size(), true, false);
    EXPECT_EQ(oversigned.headers().str(), "Subject:Subject:To:To:From:From");
    EXPECT_EQ(oversigned.expiration(), "1");
    EXPECT_EQ(object.header.all("dkim-signature").size(), 2u);

    std::string anonymous = "To: bob@example.net\r\n\r\nbody\r\n";
    Object nobody(anonymous.data(), anonymous.size());
    EXPECT_FALSE(nobody.sign(Capabilities::utf8(), key(), 0, false, Canonicalization()));
    EXPECT_EQ(nobody.header.size(), 1u);
    EXPECT_FALSE(object.sign(Capabilities::utf8(), key("rsa-md5"), 0, false, Canonicalization()));
}

// The caller's values as the signer and the sealer write them: another
// spelling of the same name or algorithm in the form verifiers read, and
// anything no tag can carry refused with the message unchanged.
TEST(DkimCheckTest, SigningAndSealingWriteTheCallersValuesInTheirOwnForm) {
    std::string const text = replace(message, "Subject:", "X;Tag: blue\r\nSubject:");
    std::string const head = text.substr(0, text.find("\r\n\r\n") + 2), body = text.substr(head.size());
    const Capabilities& caps = Capabilities::utf8();
    const Canonicalization relaxed(false, false);
    const AuthenticationResults results("mx.example");
    struct Case {
        const char* domain;
        std::string selector;
        const char* algorithm;
        long expiration;
        const char* written; // d=, s= and a= read back; null: refused
    } const cases[] = {
        {"example.com.", "sel", "rsa-sha256", 0, "example.com sel rsa-sha256"},
        {"example.com", "sel", "Rsa-Sha256", 0, "example.com sel rsa-sha256"},
        {"example.com", "s\xc3\xa9l", "rsa-sha256", 0, "example.com xn--sl-bja rsa-sha256"},
        {"example.com", "sel; x=9999999999", "rsa-sha256", 0, nullptr},
        {"example.com; x=9999999999", "sel", "rsa-sha256", 0, nullptr},
        {"example..com", "sel", "rsa-sha256", 0, nullptr},
        {"example.com", "sel.", "rsa-sha256", 0, nullptr},
        {"example.com", ".sel", "rsa-sha256", 0, nullptr},
        {"example.com", "", "rsa-sha256", 0, nullptr},
        {"example.com", "s el", "rsa-sha256", 0, nullptr},
        {"example.com", "s=el", "rsa-sha256", 0, nullptr},
        {"example.com", std::string(64, 's'), "rsa-sha256", 0, nullptr},
        {"example.com", "s\xe9l", "rsa-sha256", 0, nullptr},
        {"example.com", "sel", "rsa-sha256", -5, nullptr},
        {"example.com", "sel", "rsa-sha256", 1234567890123, nullptr},
    };
    for (const auto& c : cases) {
        DkimKey key = Orvanta::Mime::Test::signingKey(c.algorithm, c.domain, c.selector.c_str());
        Object signed_(text.data(), text.size()), sealed(text.data(), text.size());
        ArcSignatures none(sealed);
        ArcPublicKeys noKeys(Orvanta::Mime::Test::testKeyLookup(), none);
        // signed twice: the second signature takes the place of the first
        bool signedTwice = signed_.sign(caps, key, c.expiration, false, relaxed) &&
                           signed_.sign(caps, key, c.expiration, false, relaxed);
        bool done = sealed.resign(caps, none, noKeys, key, results, c.expiration, false);
        std::string label = std::string(c.domain) + " " + c.selector + " " + c.algorithm;
        EXPECT_EQ(std::to_string(signedTwice) + std::to_string(done), c.written ? "11" : "00") << label;
        if (!c.written) {
            EXPECT_EQ(written(signed_) + written(sealed), head + head) << label;
            continue;
        }
        EXPECT_EQ(check(written(signed_) + body).result, "pass") << label;
        EXPECT_EQ(signed_.header.all("dkim-signature").size(), 1u) << label;
        std::string arc = sealed.str(true);
        Object again(arc.data(), arc.size());
        ArcSignatures sets(again);
        ArcPublicKeys keys(Orvanta::Mime::Test::testKeyLookup(), sets);
        EXPECT_STREQ(ArcStatus(again, sets, keys).result(), "pass") << label;
        // read leniently: the strict reading is the checks'
        DkimSignature mine(signed_.header[0].value.data(), signed_.header[0].value.size(), false, false);
        auto names = [](const DkimSignature& s) {
            return s.domain() + " " + s.selector() + " " + s.algorithm();
        };
        EXPECT_EQ(names(mine), c.written);
        EXPECT_EQ(names(sets.signature()), c.written);
    }
    // an extra name that h= cannot carry, and an authserv-id that would end
    // the copy of its field that the seal signs
    Object object(text.data(), text.size());
    ArcSignatures none(object);
    ArcPublicKeys noKeys(Orvanta::Mime::Test::testKeyLookup(), none);
    EXPECT_FALSE(object.sign(caps, key(), {"X;Tag"}, 0, false, relaxed));
    EXPECT_FALSE(object.sign(caps, key(), {static_cast<const char*>(nullptr)}, 0, false, relaxed));
    AuthenticationResults nul(std::string("mx\0x", 4));
    EXPECT_FALSE(object.resign(caps, none, noKeys, key(), nul, 0, false));
    // nor a field that the transport cannot carry as written: a token over
    // the hard limit, which no fold splits, and 8-bit results over 7 bits
    const Capabilities& sevenBit = Capabilities::standard();
    const AuthenticationResults longId(std::string(1000, 'm')), eightBit("m\xc3\xbcller.example");
    EXPECT_FALSE(object.resign(caps, none, noKeys, key(), longId, 0, false));
    EXPECT_FALSE(object.resign(sevenBit, none, noKeys, key(), eightBit, 0, false));
    EXPECT_EQ(written(object), head);
    std::string const received = "Authentication-Results: m\xc3\xbcller.example; dkim=pass\r\n" + head;
    Object held(received.data(), received.size());
    EXPECT_FALSE(held.resign(sevenBit, key(), eightBit.id(), 0, false));
    EXPECT_EQ(written(held), received);
    std::string const name = "X-" + std::string(996, 'l'), named = name + ":v\r\n" + head;
    Object longName(named.data(), named.size());
    EXPECT_FALSE(longName.sign(caps, key(), {name.c_str()}, 0, false, relaxed));
    EXPECT_EQ(written(longName), named);
}

TEST(DkimCheckTest, UnsigningManyCostsLinearTime) {
    // each removed field was an erase from the middle of the lines
    auto unsignAll = [](size_t count) {
        std::string text;
        for (size_t i = 0; i < count; ++i)
            text += "DKIM-Signature: v=1; a=rsa-sha256; d=example.com; s=sel; h=from; bh=AA; b=" +
                    std::to_string(i) + "\r\n";
        text += message;
        Object object(text.data(), text.size());
        object.unsign(key());
        EXPECT_EQ(object.header.size(), 3u);
    };
    EXPECT_LT(Orvanta::Mime::Test::growth(unsignAll, 5000), Orvanta::Mime::Test::linear);
}

} // namespace
