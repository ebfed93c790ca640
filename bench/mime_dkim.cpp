// DKIM signatures made and checked per second on a 3 KB message, and the
// signing rate of a 1 MB message, with an RSA-2048 key (ORVANTA_BENCH_KEY, a
// PEM private key); bench/mime_dkim.sh runs it beside dkimpy, `sha256sum`
// and `openssl speed rsa2048`.
//
//   bench_mime_dkim --message BYTES   writes a message of about that size
//   bench_mime_dkim --sign FILE       reads, parses and signs it once (for
//                                     the peak memory of signing)
#include "dns/host/hostname.h"
#include "mime/authentication/canonicalization.h"
#include "mime/authentication/dkimkey.h"
#include "mime/authentication/dkimsignature.h"
#include "mime/authentication/signaturestatus.h"
#include "mime/grammar/capabilities.h"
#include "mime/message/object.h"
#include "openssl/functions.h"
#include "openssl/publickey.h"

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iostream>
#include <iterator>
#include <stdexcept>
#include <string>

using namespace Orvanta;

namespace {

std::string read(const char* path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) throw std::runtime_error(std::string("cannot read ") + path);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// A usual header and a body of text lines, about `size` bytes.
std::string message(size_t size) {
    std::string t =
        "Return-Path: <alice@example.com>\r\n"
        "Received: from mail.example.com (mail.example.com [192.0.2.1])\r\n"
        "\tby mx.example.net with ESMTPS id 4AB2C3D4E5; Mon, 7 Dec 2026 10:00:00 +0000\r\n"
        "From: Alice Example <alice@example.com>\r\nTo: Bob Example <bob@example.net>\r\n"
        "Cc: carol@example.org\r\nSubject: Quarterly figures and the plan for next year\r\n"
        "Date: Mon, 7 Dec 2026 10:00:00 +0000\r\nMessage-ID: <20261207100000.12345@example.com>\r\n"
        "MIME-Version: 1.0\r\nContent-Type: text/plain; charset=utf-8\r\n"
        "Content-Transfer-Encoding: 7bit\r\n\r\n";
    t.reserve(size + 100);
    while (t.size() < size)
        t += "The figures for the quarter are in the attached sheet; please look them over.\r\n";
    return t;
}

const std::string& message() {
    static std::string const text = message(3000);
    return text;
}

struct Keys {
    evp_pkey_st* privateKey = nullptr;
    std::string record;
};

const Keys& keys() {
    static const Keys k = [] {
        char const* path = std::getenv("ORVANTA_BENCH_KEY");
        if (!path) throw std::runtime_error("ORVANTA_BENCH_KEY names no key");
        std::string pem = read(path);
        bio_st* bio = OpenSSL::BIO_new_mem_buf(pem.data(), static_cast<int>(pem.size()));
        Keys made;
        made.privateKey = OpenSSL::PEM_read_bio_PrivateKey(bio, nullptr, nullptr, nullptr);
        OpenSSL::BIO_free(bio);
        if (!made.privateKey) throw std::runtime_error("cannot read the key");
        bio = OpenSSL::BIO_new(OpenSSL::BIO_s_mem());
        OpenSSL::PEM_write_bio_PUBKEY(bio, made.privateKey);
        char* data = nullptr;
        long size = OpenSSL::BIO_ctrl(bio, 3, 0, &data);
        made.record.assign(data, static_cast<size_t>(size));
        OpenSSL::BIO_free(bio);
        return made;
    }();
    return k;
}

Mime::DkimKey signingKey() {
    return Mime::DkimKey(keys().privateKey, Dns::Hostname("example.com", false), "sel", "rsa-sha256");
}

// Parses the message and signs it, relaxed/relaxed.
bool sign(const std::string& text) {
    Mime::Object object(text.data(), text.size());
    bool done =
        object.sign(Mime::Capabilities::utf8(), signingKey(), 0, false, Mime::Canonicalization(false, false));
    benchmark::DoNotOptimize(object.header.size());
    return done;
}

void sign(benchmark::State& state) {
    for (auto _ : state)
        if (!sign(message())) state.SkipWithError("signing failed");
    state.SetItemsProcessed(state.iterations());
}

void sign1MB(benchmark::State& state) {
    static std::string const text = message(1 << 20);
    for (auto _ : state)
        if (!sign(text)) state.SkipWithError("signing failed");
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * text.size()));
}

// Parses a signed message, its signature, and checks it with the key.
void verify(benchmark::State& state) {
    std::string text = message();
    {
        Mime::Object object(text.data(), text.size());
        object.sign(Mime::Capabilities::utf8(), signingKey(), 0, false, Mime::Canonicalization(false, false));
        const Mime::Line& field = object.header[0];
        text = std::string(field.data(), field.size()) + message();
    }
    OpenSSL::PublicKey key(keys().record.data(), keys().record.size());
    for (auto _ : state) {
        Mime::Object object(text.data(), text.size());
        const Mime::Value& value = object.header.get("dkim-signature");
        Mime::DkimSignature signature(value.data(), value.size(), true, false);
        Mime::DkimStatus status;
        if (status.initialize(object, signature, key, false) != Mime::Status::pass)
            state.SkipWithError("verification failed");
    }
    state.SetItemsProcessed(state.iterations());
}

} // namespace

// wall-clock time, as bench/mime_dkim.sh counts the others
BENCHMARK(sign)->MinTime(2.0)->UseRealTime();
BENCHMARK(verify)->MinTime(2.0)->UseRealTime();
BENCHMARK(sign1MB)->MinTime(2.0)->UseRealTime();

int main(int argc, char** argv) {
    if (argc == 3 && std::strcmp(argv[1], "--message") == 0) {
        std::cout << message(std::stoul(argv[2]));
        return 0;
    }
    if (argc == 3 && std::strcmp(argv[1], "--sign") == 0) {
        // read into a string of the file's size: the message once, no more
        std::ifstream in(argv[2], std::ios::binary | std::ios::ate);
        std::string text(static_cast<size_t>(in.tellg()), '\0');
        in.seekg(0);
        in.read(&text[0], static_cast<std::streamsize>(text.size()));
        return sign(text) ? 0 : 1;
    }
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
