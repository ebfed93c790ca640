// Three-hop ARC chains per second: each hop validates the chain it got,
// records the result in an Authentication-Results field and seals the
// message; the chain of three is validated once more at the end. The key
// comes from ORVANTA_BENCH_KEY (a PEM private key) and ORVANTA_BENCH_RECORD
// (its public key as a key record carries it); bench/mime_arcchain.sh runs
// it beside dkimpy.
#include "dns/host/hostname.h"
#include "dns/tests/wire.h"
#include "mime/authentication/arcpublickeys.h"
#include "mime/authentication/arcsignatures.h"
#include "mime/authentication/arcstatus.h"
#include "mime/authentication/authenticationresults.h"
#include "mime/authentication/dkimkey.h"
#include "mime/grammar/capabilities.h"
#include "mime/message/object.h"
#include "openssl/functions.h"

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <string>

using namespace Orvanta::Mime;

namespace {

std::string const original =
    "From: Alice <alice@example.com>\r\nTo: list@example.org\r\nSubject: ARC hops\r\n"
    "Date: Mon, 7 Dec 2026 10:00:00 +0000\r\nMessage-ID: <arc@example.com>\r\n"
    "\r\nHello list.\r\n\r\nA second paragraph\twith a tab.\r\n";

std::string environment(const char* name) {
    const char* value = std::getenv(name);
    if (value == nullptr) throw std::runtime_error(std::string(name) + " is not set");
    return value;
}

evp_pkey_st* privateKey() {
    static evp_pkey_st* const key = [] {
        std::ifstream in(environment("ORVANTA_BENCH_KEY"), std::ios::binary);
        std::string pem((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        bio_st* bio = Orvanta::OpenSSL::BIO_new_mem_buf(pem.data(), static_cast<int>(pem.size()));
        evp_pkey_st* key = Orvanta::OpenSSL::PEM_read_bio_PrivateKey(bio, nullptr, nullptr, nullptr);
        Orvanta::OpenSSL::BIO_free(bio);
        if (key == nullptr) throw std::runtime_error("cannot read the key");
        return key;
    }();
    return key;
}

// the key record for every name, as a name server would answer it
void lookup(const ArcPublicKeys::Key& key, Orvanta::Dns::DkimRecords& records) {
    static std::string const text = "v=DKIM1; k=rsa; p=" + environment("ORVANTA_BENCH_RECORD");
    std::string name = key.selector + "._domainkey." + key.domain;
    std::string strings;
    for (size_t at = 0; at < text.size(); at += 255)
        strings += char(std::min<size_t>(255, text.size() - at)) + text.substr(at, 255);
    Orvanta::Test::Wire wire;
    wire.header(1, 0x8180, 1, 1).name(name).u16(16).u16(1).record(name, 16, strings);
    records.onResolved(nullptr, wire.response());
}

std::string hop(const std::string& text, int number, const DkimKey& key) {
    std::string id = "hop" + std::to_string(number) + ".example";
    AuthenticationResults results(id);
    {
        Object before(text.data(), text.size());
        ArcSignatures signatures(before);
        ArcPublicKeys keys(lookup, signatures);
        results.add(ArcStatus(before, signatures, keys));
    }
    std::string received = "Authentication-Results: " + results.str(true) + "\r\n" + text;
    Object message(received.data(), received.size());
    ArcSignatures signatures(message);
    ArcPublicKeys keys(lookup, signatures);
    if (!message.resign(Capabilities::utf8(), signatures, keys, key, results, 0, false))
        throw std::runtime_error("sealing failed");
    std::string added;
    for (size_t i = 0; i < 3; ++i)
        added += std::string(message.header[i].data(), message.header[i].size());
    return added + received;
}

void sealAndValidateThreeHops(benchmark::State& state) {
    DkimKey key(privateKey(), Orvanta::Dns::Hostname("ours.example", false), "ours");
    Orvanta::OpenSSL::EVP_PKEY_up_ref(privateKey());
    for (auto _ : state) {
        std::string text = original;
        for (int number = 1; number <= 3; ++number)
            text = hop(text, number, key);
        Object message(text.data(), text.size());
        ArcSignatures signatures(message);
        ArcPublicKeys keys(lookup, signatures);
        if (ArcStatus(message, signatures, keys).result() != cvpass) throw std::runtime_error("chain fails");
    }
    state.SetItemsProcessed(static_cast<int64_t>(state.iterations()));
}

} // namespace

BENCHMARK(sealAndValidateThreeHops)->UseRealTime()->Unit(benchmark::kMillisecond);
BENCHMARK_MAIN();
