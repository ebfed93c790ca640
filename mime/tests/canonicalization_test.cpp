// The canonical forms that signatures cover: the c= value, header fields
// and bodies in simple and relaxed form, and the body hash.
#include "filter/string.h"
#include "mime/authentication/algorithm.h"
#include "mime/authentication/bodyhash.h"
#include "mime/authentication/canonicalization.h"
#include "mime/authentication/canonicalizedbody.h"
#include "mime/authentication/canonicalizedheader.h"
#include "mime/grammar/capabilities.h"
#include "mime/message/object.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>

using namespace Orvanta::Mime;

namespace {

std::string canonicalization(const char* text) {
    try {
        return Canonicalization(text).text();
    } catch (const std::runtime_error& e) {
        return e.what();
    }
}

TEST(CanonicalizationTest, ReadsTheTagValue) {
    struct Case {
        const char* text;
        std::string result;
    } const cases[] = {
        {nullptr, "simple/simple"},
        {"", "simple/simple"},
        {"relaxed", "relaxed/simple"},
        {"RELAXED/Relaxed", "relaxed/relaxed"},
        {"simple/relaxed", "simple/relaxed"},
        {"simple/", "unsupported canonicalization algorithm"},
        {"/simple", "unsupported canonicalization algorithm"},
        {"relaxed/nowsp", "unsupported canonicalization algorithm"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(canonicalization(c.text), c.result) << (c.text ? c.text : "null");
}

// the canonical body, given whole and given byte by byte
std::string body(const std::string& text, bool simple) {
    std::string whole;
    std::string bytes;
    Orvanta::Filter::String wholeSink(&whole);
    Orvanta::Filter::String bytesSink(&bytes);
    CanonicalizeBody once(&wholeSink, simple);
    CanonicalizeBody piecewise(&bytesSink, simple);
    once.append(text.data(), text.size(), true);
    for (char c : text)
        piecewise.append(&c, 1, false);
    once.finish();
    piecewise.finish();
    EXPECT_EQ(whole, bytes) << "in pieces: " << text;
    return whole;
}

TEST(CanonicalizationTest, Bodies) {
    struct Case {
        std::string text;
        std::string simple;
        std::string relaxed;
    } const cases[] = {
        {"", "\r\n", ""},
        {"\r\n\r\n", "\r\n", ""},
        {" \t\r\n", " \t\r\n", ""},
        {"a", "a\r\n", "a\r\n"},
        {"a\n\n\n", "a\r\n", "a\r\n"},
        {"a  \t b\r\n", "a  \t b\r\n", "a b\r\n"},
        {"line \t \r\n  two  words\t\r\n \r\nend  \r\n\r\n", "line \t \r\n  two  words\t\r\n \r\nend  \r\n",
         "line\r\n two words\r\n\r\nend\r\n"},
        {"a\r\n\r\nb\r\n", "a\r\n\r\nb\r\n", "a\r\n\r\nb\r\n"},
        {"x\ry\r\n", "x\ry\r\n", "x\ry\r\n"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(body(c.text, true), c.simple) << c.text;
        EXPECT_EQ(body(c.text, false), c.relaxed) << c.text;
    }
}

// Long runs are passed on in blocks: every blank and line end placed at every
// offset of a block gives what the byte-by-byte road gives.
TEST(CanonicalizationTest, LongLinesInAnyPlace) {
    for (const char* mark :
         {" ", "  ", "\t", " \t ", "\r", "\n", "\r\n", " \r\n", "\r\n ", "\r\n\r\n", " \r", "\r\n\n", "\n\r"})
        for (size_t at = 0; at < 80; ++at) {
            // after a first line end and blank, which the blocks start from
            std::string text = "w \r\n" + std::string(at, 'x') + mark + std::string(40, 'y') + " z";
            // and empty lines at the end, more than a block of them
            for (int line = 0; line < 12; ++line)
                text += "\r\n";
            for (bool simple : {true, false}) {
                std::string canonical = body(text, simple);
                EXPECT_EQ(canonical.find("y z\r\n"), canonical.size() - 5) << text;
            }
        }
}

// Texts made of the bytes that matter, in every mix: the blocks and the
// byte-by-byte road agree (body() compares them).
TEST(CanonicalizationTest, MixedTextsAgreeInPieces) {
    std::mt19937 random(29);
    const char bytes[] = {'a', 'b', ' ', ' ', '\t', '\r', '\n'};
    for (int round = 0; round < 2000; ++round) {
        std::string text = "w \r\n";
        size_t length = random() % 300;
        for (size_t i = 0; i < length; ++i)
            text += bytes[random() % sizeof bytes];
        body(text, true);
        body(text, false);
    }
}

TEST(CanonicalizationTest, BodyHashCoversTheGivenLength) {
    std::string message = "From: a@example.com\r\n\r\nHi.\r\n";
    Object object(message.data(), message.size());
    auto hash = [&](const char* algorithm, size_t length) {
        return BodyHash::received(object.body, true, Algorithm(algorithm), length).text();
    };
    // the SHA-256 digests of "Hi.\r\n", of "H" and of nothing
    EXPECT_EQ(hash("rsa-sha256", BodyHash::whole), hash("rsa-sha256", 99));
    EXPECT_EQ(hash("rsa-sha256", 0), "47DEQpj8HBSa+/TImW+5JCeuQeRkm5NMpJWZG3hSuFU=");
    EXPECT_EQ(hash("rsa-sha1", 1), "fPGE9MZ61YKD7LGTSXILDK51aCk=");
}

TEST(CanonicalizationTest, HeaderFieldsBySignerAndByVerifier) {
    std::string message =
        "From: a@example.com\r\nTo \t: b@example.net\r\nX-Mine: 1\r\nSubject:  Hello   World  \r\n"
        " again\r\nSubject: second\r\nDKIM-Signature: v=1\r\n\r\n";
    Object object(message.data(), message.size());
    const auto& caps = Capabilities::utf8();

    CanonicalizedHeader usual(caps, object.header, ExtraHeaders(), SignatureType::dkim, true);
    EXPECT_EQ(usual.fields().str(), "Subject:Subject:To:From");
    CanonicalizedHeader extra(caps, object.header, {"x-MINE"}, SignatureType::dkim, true);
    EXPECT_EQ(extra.fields().str(), "Subject:Subject:X-Mine:To:From");
    CanonicalizedHeader arc(caps, object.header, ExtraHeaders(), SignatureType::arc, true);
    EXPECT_EQ(arc.fields().str(), "DKIM-Signature:Subject:Subject:To:From");

    // a name with blanks before its colon: simple keeps them, relaxed drops
    // them
    DkimHeaderFields names("subject:subject:subject:to:from", 31);
    CanonicalizedHeader simple(caps, object.header, true, names);
    EXPECT_EQ(simple.count(), 4u);
    EXPECT_EQ(simple.text(),
              "Subject: second\r\nSubject:  Hello   World  \r\n again\r\nTo \t: b@example.net\r\n"
              "From: a@example.com\r\n");
    CanonicalizedHeader relaxed(caps, object.header, false, names);
    EXPECT_EQ(relaxed.text(),
              "subject:second\r\nsubject:Hello World again\r\nto:b@example.net\r\nfrom:a@example.com\r\n");

    relaxed.signature(object.header[5]);
    EXPECT_EQ(relaxed.text().substr(relaxed.text().size() - 20), "\r\ndkim-signature:v=1");
}

// Relaxed folds only blanks and line ends: a CR alone is content, as the
// peers read it, also when the pieces part it from what follows.
TEST(CanonicalizationTest, RelaxedFieldKeepsALoneCr) {
    std::string const field = "Subject:  hi\rBcc: evil  \r\n\tmore\r\n";
    for (size_t piece : {field.size(), size_t(1)}) {
        std::string text;
        CanonicalizedHeader::Relaxed sink(&text);
        for (size_t at = 0; at < field.size(); at += piece)
            sink.append(field.data() + at, std::min(piece, field.size() - at), true);
        EXPECT_EQ(text, "subject:hi\rBcc: evil more") << piece;
    }
}

TEST(CanonicalizationTest, SignatureFieldLosesItsSignatureData) {
    struct Case {
        std::string value;
        std::string naked;
    } const cases[] = {
        {"v=1; b=ab cd; bh=xyz; d=example.com", "v=1; b=; bh=xyz; d=example.com"},
        {"v=1; bh=xyz; b=ab\r\n\tcd==", "v=1; bh=xyz; b="},
        {"b =abc;x=1", "b =;x=1"},
        {"v=1; xb=abc", "v=1; xb=abc"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(NakedSignature(c.value.data(), c.value.size()).text(), c.naked);
}

} // namespace
