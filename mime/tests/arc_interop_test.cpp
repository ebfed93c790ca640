// ARC chains sealed hop after hop by us, dkimpy and Mail::DKIM, each chain
// validated by all three after every hop; broken chains reported alike.
#include "dns/host/hostname.h"
#include "dns/resolver/spfstatus.h"
#include "mime/authentication/arcauthenticationresults.h"
#include "mime/authentication/arcmessagesignature.h"
#include "mime/authentication/arcpublickeys.h"
#include "mime/authentication/arcsealsignature.h"
#include "mime/authentication/arcsignatures.h"
#include "mime/authentication/arcsigndata.h"
#include "mime/authentication/arcstatus.h"
#include "mime/authentication/authenticationresults.h"
#include "mime/authentication/canonicalization.h"
#include "mime/authentication/dkimkey.h"
#include "mime/authentication/dkimsignatures.h"
#include "mime/authentication/dmarcstatus.h"
#include "mime/grammar/capabilities.h"
#include "mime/message/object.h"
#include "mime/tests/arckeys.h"
#include "mime/tests/dkimkeys.h"
#include "mime/tests/oracle.h"

#include <gtest/gtest.h>

using namespace Orvanta::Mime;
namespace Peer = Orvanta::Mime::Test;

namespace {

enum Sealer { ours, dkimpy, perl };
const char* const names[] = {"ours", "dkimpy", "Mail::DKIM"};

std::string const original =
    "From: Alice <alice@example.com>\r\nTo: list@example.org\r\nSubject: ARC hops\r\n"
    "Date: Mon, 7 Dec 2026 10:00:00 +0000\r\nMessage-ID: <arc@example.com>\r\n"
    "DKIM-Signature: v=1; a=rsa-sha256; d=example.com; s=old; h=from; bh=AAAA; b=AAAA\r\n"
    "\r\nHello list.\r\n\r\nA second paragraph\twith a tab.\r\n";

std::string authservId(int hop) {
    return "hop" + std::to_string(hop) + ".example";
}

struct Verdict {
    std::string result;
    std::string reason;
};

Verdict ourVerdict(const std::string& text) {
    Object message(text.data(), text.size());
    ArcSignatures signatures(message);
    ArcPublicKeys keys(Peer::testKeyLookup(), signatures);
    ArcStatus status(message, signatures, keys);
    return {status.result(), status.message()};
}

std::string ourHop(const std::string& text, int hop) {
    std::string sealed = Peer::seal(text, authservId(hop));
    EXPECT_FALSE(sealed.empty()) << "hop " << hop;
    return sealed;
}

Peer::Request keyRequest() {
    return {"key", Peer::testKey().privatePath, Peer::testKey().record};
}

std::vector<Peer::Answer> askPeer(Sealer peer, std::vector<Peer::Request> requests) {
    requests.insert(requests.begin(), keyRequest());
    auto answers =
        peer == dkimpy
            ? Peer::ask(requests, "arc_oracle.py")
            : Peer::ask(requests, {"/usr/bin/perl", ORVANTA_SOURCE_DIR "/mime/tests/arc_oracle.pl"});
    answers.erase(answers.begin());
    return answers;
}

std::string hop(Sealer sealer, const std::string& text, int number) {
    if (sealer == ours) return ourHop(text, number);
    const char* selector = sealer == dkimpy ? "py" : "pl";
    std::string domain = std::string(selector) + ".example";
    auto answer = askPeer(sealer, {{"hop", text, selector, domain, authservId(number)}}).at(0);
    EXPECT_FALSE(answer.at(0).empty())
        << names[sealer] << " did not seal hop " << number << ": " << (answer.size() > 1 ? answer[1] : "");
    return answer.at(0);
}

// the chain result of every validator for every text: [text][validator]
std::vector<std::vector<Verdict>> verdicts(const std::vector<std::string>& texts) {
    std::vector<std::vector<Verdict>> all(texts.size());
    for (size_t i = 0; i < texts.size(); ++i)
        all[i].push_back(ourVerdict(texts[i]));
    for (Sealer peer : {dkimpy, perl}) {
        std::vector<Peer::Request> requests;
        for (const auto& text : texts)
            requests.push_back({"verify", text});
        auto answers = askPeer(peer, requests);
        for (size_t i = 0; i < texts.size(); ++i)
            all[i].push_back({answers[i].at(0), answers[i].size() > 1 ? answers[i][1] : ""});
    }
    return all;
}

std::string describe(const std::vector<Verdict>& row) {
    std::string text;
    for (size_t v = 0; v < row.size(); ++v)
        text += std::string(names[v]) + ": " + row[v].result + " (" + row[v].reason + ")\n";
    return text;
}

std::vector<std::string> chain(const std::vector<Sealer>& sealers, std::string text = original) {
    std::vector<std::string> hops;
    for (size_t i = 0; i < sealers.size(); ++i) {
        text = hop(sealers[i], text, static_cast<int>(i + 1));
        hops.push_back(text);
    }
    return hops;
}

std::string label(const std::vector<Sealer>& sealers) {
    std::string text;
    for (Sealer s : sealers)
        text += std::string(text.empty() ? "" : ", ") + names[s];
    return text;
}

// the lines of the message without those for which `drop` holds (a field and
// its folded continuation go together)
template <typename Drop>
std::string without(const std::string& text, const Drop& drop) {
    std::string out;
    bool dropping = false;
    size_t at = 0;
    size_t body = text.find("\r\n\r\n");
    while (at < text.size()) {
        size_t end = text.find("\r\n", at);
        end = end == std::string::npos ? text.size() : end + 2;
        std::string line = text.substr(at, end - at);
        bool continuation = line[0] == ' ' || line[0] == '\t';
        if (!continuation) dropping = at <= body && drop(line);
        if (!dropping) out += line;
        at = end;
    }
    return out;
}

TEST(ArcInterop, ChainsOfThreeHopsValidateEverywhere) {
    std::vector<std::vector<Sealer>> patterns = {{ours, dkimpy, ours},
                                                 {dkimpy, ours, dkimpy},
                                                 {ours, perl, ours},
                                                 {perl, ours, perl},
                                                 {dkimpy, perl, ours}};
    for (const auto& pattern : patterns) {
        auto hops = chain(pattern);
        auto all = verdicts(hops);
        for (size_t h = 0; h < hops.size(); ++h)
            for (const auto& verdict : all[h])
                EXPECT_EQ(verdict.result, "pass") << label(pattern) << " after hop " << h + 1 << "\n"
                                                  << describe(all[h]) << hops[h];
    }
}

// A hop that repairs the message for a 7-bit transport, or whose writer
// re-encodes a part header, seals what it writes: the body hash of its
// message signature covers the bytes sent.
TEST(ArcInterop, SealsCoverWhatIsWritten) {
    std::string const head = "From: Alice <alice@example.com>\r\nTo: list@example.org\r\nSubject: written\r\n"
                             "MIME-Version: 1.0\r\n";
    std::string const texts[] = {
        head + "Content-Type: text/plain; charset=utf-8\r\nContent-Transfer-Encoding: 8bit\r\n\r\n"
               "Gr\xc3\xbc\xc3\x9f"
               "e\r\n",
        head + "Content-Type: multipart/mixed; boundary=\"b1\"\r\n\r\n--b1\r\n"
               "Content-Type: text/plain; name=\"\xc3\xa9.txt\"\r\n\r\nplain text\r\n--b1--\r\n",
    };
    const Capabilities& caps = Capabilities::standard();
    std::vector<std::string> sent;
    for (const std::string& text : texts) {
        Object message(text.data(), text.size());
        ASSERT_TRUE(message.fix(caps));
        ArcSignatures signatures(message);
        ArcPublicKeys keys(Peer::testKeyLookup(), signatures);
        AuthenticationResults results(authservId(1));
        results.add(ArcStatus(message, signatures, keys));
        DkimKey key(Peer::testKey().privateKey, Orvanta::Dns::Hostname("ours.example", false), "ours");
        ASSERT_TRUE(message.resign(caps, signatures, keys, key, results, 0, false));
        sent.push_back(message.str(false));
    }
    auto all = verdicts(sent);
    for (size_t i = 0; i < sent.size(); ++i)
        for (const auto& verdict : all[i])
            EXPECT_EQ(verdict.result, "pass") << describe(all[i]) << sent[i];
}

// A relay that validates the chain, repairs the message for a 7-bit
// transport and then reseals it: the new seal's cv= is the state the chain
// arrived in, as its own results say, and the chain stays valid.
TEST(ArcInterop, ResealAfterRepairKeepsTheChainValid) {
    std::string const text =
        "From: Alice <alice@example.com>\r\nTo: list@example.org\r\nSubject: repaired\r\n"
        "MIME-Version: 1.0\r\nContent-Type: text/plain; charset=utf-8\r\n"
        "Content-Transfer-Encoding: 8bit\r\n\r\nGr\xc3\xbc\xc3\x9f"
        "e\r\n";
    std::string const received = hop(dkimpy, text, 1);
    const Capabilities& caps = Capabilities::standard();
    Object message(received.data(), received.size());
    ArcSignatures signatures(message);
    ArcPublicKeys keys(Peer::testKeyLookup(), signatures);
    AuthenticationResults results(authservId(2));
    results.add(ArcStatus(message, signatures, keys));
    ASSERT_EQ(results.results().at(0).result(), "pass");
    ASSERT_TRUE(message.fix(caps));
    DkimKey key(Peer::testKey().privateKey, Orvanta::Dns::Hostname("ours.example", false), "ours");
    ASSERT_TRUE(message.resign(caps, signatures, keys, key, results, 0, false));
    std::string sent = message.str(false);
    EXPECT_NE(sent.find("cv=pass"), std::string::npos) << sent;
    auto row = verdicts({sent}).at(0);
    for (const auto& verdict : row)
        EXPECT_EQ(verdict.result, "pass") << describe(row) << sent;
}

// Sealed by the results one authentication service recorded in the header
// (its authserv-id compared exactly): a first hop, which has no chain to
// validate and so needs no keys.
TEST(ArcInterop, FirstSealByTheResultsOfOneAuthservId) {
    std::string const text =
        "Authentication-Results: MX.example; spf=fail\r\n"
        "Authentication-Results: mx.example; spf=pass smtp.mailfrom=alice@example.com\r\n" +
        original;
    DkimKey key(Peer::testKey().privateKey, Orvanta::Dns::Hostname("ours.example", false), "ours");
    Object message(text.data(), text.size());
    EXPECT_FALSE(message.resign(Capabilities::utf8(), key, "nobody.example", 0, false));
    ASSERT_TRUE(message.resign(Capabilities::utf8(), key, "mx.example", 0, false));
    std::string sealed = message.str(false);
    EXPECT_NE(sealed.find("ARC-Authentication-Results: i=1;mx.example; spf=pass"), std::string::npos)
        << sealed;
    EXPECT_EQ(sealed.find("spf=fail", sealed.find("ARC-Authentication-Results")), sealed.find("spf=fail"));
    auto row = verdicts({sealed}).at(0);
    for (const auto& verdict : row)
        EXPECT_EQ(verdict.result, "pass") << describe(row) << sealed;
    // a chain there needs keys to be validated, which this form has not
    Object again(sealed.data(), sealed.size());
    EXPECT_FALSE(again.resign(Capabilities::utf8(), key, "mx.example", 0, false));
}

TEST(ArcInterop, BrokenChainsAreReportedAlike) {
    auto hops = chain({ours, dkimpy, ours});
    const std::string& sealed = hops.back();
    std::string twoHops = hops[1];
    std::string tampered = twoHops + "A line added after the second hop.\r\n";

    struct Case {
        const char* name;
        std::string text;
        const char* ours;
    } cases[] = {
        {"body changed after hop 2", tampered, "Top AMS invalid: Body hash does not match"},
        {"instance gap",
         without(sealed,
                 [](const std::string& line) {
                     return line.rfind("ARC-", 0) == 0 && (line.find("i=2;") != std::string::npos);
                 }),
         "Could not determine ordering: we miss a header in the arc header set"},
        {"duplicate instance",
         [&] {
             size_t seal = sealed.find("ARC-Seal: i=1;");
             size_t end = sealed.find("\r\nARC-", seal + 1);
             if (end == std::string::npos) end = sealed.find("\r\n", seal);
             return sealed.substr(seal, end + 2 - seal) + sealed;
         }(),
         "Could not determine ordering: two arc headers have the same istance identifier"},
    };
    std::vector<std::string> texts;
    for (const auto& c : cases)
        texts.push_back(c.text);
    // a hop over each broken chain seals it as failed: cv=fail everywhere after
    std::vector<std::string> sealedOver;
    for (Sealer sealer : {ours, dkimpy, perl})
        sealedOver.push_back(hop(sealer, tampered, 3));
    for (const auto& text : sealedOver)
        texts.push_back(text);
    auto all = verdicts(texts);
    for (size_t i = 0; i < texts.size(); ++i) {
        std::string name =
            i < 3 ? cases[i].name : std::string("sealed over a changed body by ") + names[i - 3];
        for (const auto& verdict : all[i])
            EXPECT_EQ(verdict.result, "fail") << name << "\n" << describe(all[i]);
        if (i < 3) {
            EXPECT_EQ(all[i][0].reason, cases[i].ours) << name;
        } else {
            EXPECT_NE(texts[i].find("cv=fail"), std::string::npos) << name << "\n" << texts[i].substr(0, 400);
        }
    }
    // such a seal covers its own set only (RFC 8617 5.1.2), however sealed
    for (size_t s = 0; s < sealedOver.size(); ++s) {
        Object message(sealedOver[s].data(), sealedOver[s].size());
        ArcSignatures sets(message);
        ASSERT_NE(sets.order(), nullptr) << names[s];
        const ArcSealSignature& top = sets.seals().back();
        ArcSealStatus status(&top, sets.order());
        Orvanta::Dns::DkimRecords records;
        Peer::testKeyLookup()({top.domain(), top.selector()}, records);
        EXPECT_EQ(status.initialize(message, top, records), Status::pass)
            << names[s] << ": " << (status.message() ? status.message() : "");
    }
}

} // namespace

namespace {

TEST(ArcInterop, NoChainHoldsMoreThanFiftySets) {
    std::string text = original;
    for (int i = 1; i <= 50; ++i)
        text = ourHop(text, i);
    Object fifty(text.data(), text.size());
    ArcSignatures signatures(fifty);
    ArcPublicKeys keys(Peer::testKeyLookup(), signatures);
    DkimKey key(Peer::testKey().privateKey, Orvanta::Dns::Hostname("ours.example", false), "ours");
    AuthenticationResults results(authservId(51));
    results.add(ArcStatus(fifty, signatures, keys));
    // fifty sets still validate, and neither we nor dkimpy add a fifty-first
    EXPECT_STREQ(ArcStatus(fifty, signatures, keys).result(), cvpass);
    EXPECT_FALSE(fifty.resign(Capabilities::utf8(), signatures, keys, key, results, 0, false));
    EXPECT_EQ(fifty.header.size(), Object(text.data(), text.size()).header.size());
    auto refused = askPeer(dkimpy, {{"hop", text, "py", "py.example", authservId(51)}}).at(0);
    EXPECT_EQ(refused.at(0), "") << "dkimpy sealed a fifty-first set";

    // The fifty-first set made by hand, as a sealer that ignores the limit
    // would: the chain fails (dkimpy's and Mail::DKIM's validators still
    // take it, although the standard does not).
    ArcSignData data(fifty, signatures, keys, key);
    ArcAuthenticationResults aar(data.instance(), results);
    ArcMessageSignature ams(Capabilities::utf8(), data, 0, false);
    ArcSealSignature seal(Capabilities::utf8(), data, aar, ams);
    std::string longer = "ARC-Seal: " + seal.str(true) + "\r\nARC-Message-Signature: " + ams.str(true) +
                         "\r\nARC-Authentication-Results: " + aar.str(true) + "\r\n" + text;
    Verdict verdict = ourVerdict(longer);
    EXPECT_EQ(verdict.result, "fail");
    EXPECT_EQ(verdict.reason,
              "Could not determine ordering: arc header contains invalid instance identifier");
}

} // namespace

namespace {

// our results as the authres module should read them back: the authserv-id,
// then per result "|", method, result, reason and "ptype.name=value" each
std::vector<std::string> expected(const AuthenticationResults& results) {
    std::vector<std::string> fields{results.id()};
    for (const auto& result : results.results()) {
        fields.insert(fields.end(), {"|", result.method(), result.result(), result.reason()});
        for (const auto& property : result.properties())
            fields.push_back(property.ptype() + "." + property.name() + "=" + property.text());
    }
    return fields;
}

TEST(ArcInterop, AddedResultsReadBackInAuthres) {
    // a message with our DKIM signature and a chain of three hops
    std::string text = original;
    {
        Object message(text.data(), text.size());
        DkimKey key(Peer::testKey().privateKey, Orvanta::Dns::Hostname("example.com", false), "sel");
        ASSERT_TRUE(message.sign(Capabilities::utf8(), key, 0, false, Canonicalization(false, false)));
        text = std::string(message.header[0].data(), message.header[0].size()) + text;
    }
    text = chain({ours, dkimpy, ours}, text).back();
    std::string tampered = text + "tampered\r\n";

    Orvanta::Dns::DkimRecords records;
    Peer::answer(records, "sel._domainkey.example.com", "v=DKIM1; k=rsa; p=" + Peer::testKey().record);
    std::vector<AuthenticationResults> values;
    for (const std::string* body : {&text, &tampered}) {
        Object message(body->data(), body->size());
        AuthenticationResults results("mx.example.org");
        DkimSignatures signatures(message.header);
        for (const DkimSignature& signature : signatures.signatures()) {
            DkimStatus status;
            status.initialize(message, signature, records);
            results.add(status);
        }
        ArcSignatures sets(message);
        ArcPublicKeys keys(Peer::testKeyLookup(), sets);
        results.add(ArcStatus(message, sets, keys));
        results.add(DmarcStatus{Status::pass, "example.com", ""});
        results.add(DmarcStatus{Status::fail, "example.com", "policy says no"});
        results.add(Orvanta::Dns::SpfStatus{Status::pass, "mail.example.net", "bounce@example.net", ""});
        results.add(Orvanta::Dns::SpfStatus{Status::none, "mail.example.net", "", "no sender"});
        values.push_back(std::move(results));
    }
    // ours and the stale signature of the original, then the chain
    EXPECT_EQ(values[0].results()[0].result(), "pass");
    EXPECT_EQ(values[0].results()[0]["header.i"], "@example.com");
    EXPECT_EQ(values[0].results()[1].result(), "fail");
    EXPECT_EQ(values[0].results()[2].result(), "pass");
    EXPECT_EQ(values[1].results()[0].reason(), "Body hash does not match");
    EXPECT_EQ(values[1].results()[2].reason(), "Top AMS invalid: Body hash does not match");
    // and values read strictly: one that is no token ("," and the other
    // specials, blanks) was written bare, which authres refuses or reads short
    for (const std::string text : {"example.com; dkim=fail reason=\"x,y\" header.d=example.com",
                                   "example.com; spf=pass smtp.mailfrom=\"a,b\"@example.net",
                                   "example.com; dmarc=fail reason=\"policy: reject\" header.from=\"a b\"",
                                   "example.com; auth=pass smtp.auth=\"x@y\""})
        values.emplace_back(text.data(), text.size(), true);
    std::vector<Peer::Request> requests;
    for (const auto& value : values)
        requests.push_back({"results", value.str(true)});
    auto answers = Peer::ask(requests, "arc_oracle.py");
    for (size_t i = 0; i < values.size(); ++i)
        EXPECT_EQ(answers[i], expected(values[i])) << values[i].str(true);
}

} // namespace
