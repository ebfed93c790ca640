// What hostile input costs: DKIM checks of h= lists built to be slow, the
// parse of a message of a million empty parts, the recipients of a header
// of 200k addresses, and a DNS answer whose names are chains of compression
// pointers beside an ordinary answer of the same size; and, each at two
// sizes, checking every one of many DKIM-Signature fields, a signature of
// many tags, a lenient Authentication-Results of many junk words,
// removing many signatures of our own, and header values built to be slow
// to fix or write (raw 8-bit text that is no UTF-8, quoted look-alikes of
// encoded words) or to read (parameter names whose sections make no whole).
// The files come from
// ORVANTA_BENCH_DIR, written by bench/mime_hostile.sh, which runs this
// beside dkimpy. Memory cases report the peak resident growth of one run
// over the input's size ("peak_ratio").
#include "app/message.h"
#include "dns/host/hostname.h"
#include "dns/resolver/resources.h"
#include "dns/wire/message.h"
#include "filter/string.h"
#include "mime/authentication/authenticationresults.h"
#include "mime/authentication/dkimsignature.h"
#include "mime/authentication/dkimsignatures.h"
#include "mime/authentication/signaturestatus.h"
#include "mime/grammar/capabilities.h"
#include "mime/message/object.h"
#include "openssl/publickey.h"
#include "testsupport/peakmemory.h"

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <string>

using namespace Orvanta::Mime;

namespace {

std::string file(const std::string& name) {
    const char* folder = std::getenv("ORVANTA_BENCH_DIR");
    if (folder == nullptr) throw std::runtime_error("ORVANTA_BENCH_DIR is not set");
    std::ifstream in(std::string(folder) + "/" + name, std::ios::binary);
    if (!in) throw std::runtime_error("cannot read " + name);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

// Runs the work once, before it is timed, and reports its peak memory over
// the input's size; bench/mime_hostile.sh runs each such case in a process
// of its own, so no memory freed by another case hides what this one takes.
template <typename Work>
void peak(benchmark::State& state, size_t size, const Work& work) {
    state.counters["peak_ratio"] = double(Orvanta::Test::peakGrowth(work)) / double(size);
}

// the key of record.txt
const Orvanta::OpenSSL::PublicKey& publicKey() {
    static const Orvanta::OpenSSL::PublicKey key = [] {
        std::string record = file("record.txt");
        while (!record.empty() && (record.back() == '\n' || record.back() == '\r'))
            record.pop_back();
        return Orvanta::OpenSSL::PublicKey(record.data(), record.size());
    }();
    return key;
}

void verify(benchmark::State& state, const char* name) {
    std::string text = file(name);
    const Orvanta::OpenSSL::PublicKey& key = publicKey();
    std::string result;
    for (auto _ : state) {
        Object message(text.data(), text.size());
        const Value& value = message.header.get("dkim-signature");
        DkimSignature signature(value.data(), value.size(), true, false);
        DkimStatus status;
        result = status.initialize(message, signature, key, false);
        benchmark::DoNotOptimize(result);
    }
    state.SetLabel(result);
    state.SetBytesProcessed(int64_t(state.iterations() * text.size()));
}

// every DKIM-Signature field of the message checked, as a verifier does
void signatures(benchmark::State& state, const char* name) {
    std::string text = file(name);
    size_t checked = 0;
    for (auto _ : state) {
        Object message(text.data(), text.size());
        DkimSignatures all(message.header);
        checked = 0;
        for (const DkimSignature& signature : all.signatures()) {
            DkimStatus status;
            status.initialize(message, signature, publicKey(), false);
            ++checked;
        }
    }
    state.counters["checked"] = double(checked);
}

// a lenient Authentication-Results value read
void results(benchmark::State& state, const char* name) {
    std::string text = file(name);
    size_t count = 0;
    for (auto _ : state)
        count = AuthenticationResults(text.data(), text.size(), false).results().size();
    state.counters["results"] = double(count);
}

// every signature of example.com, selector sel, removed
void unsign(benchmark::State& state, const char* name) {
    std::string text = file(name);
    size_t left = 0;
    for (auto _ : state) {
        Object message(text.data(), text.size());
        message.unsign(Orvanta::Dns::Hostname("example.com", false), "sel");
        left = message.header.size();
    }
    state.counters["left"] = double(left);
}

// A message of `count` pieces in one header field, made by `piece(i)`
// between `before` and `after`.
template <typename Piece>
std::string message(const std::string& before, size_t count, const Piece& piece, const std::string& after) {
    std::string text = "From: a@example.org\r\nMIME-Version: 1.0\r\n" + before;
    for (size_t i = 0; i < count; ++i)
        text += piece(i);
    return text + after + "\r\n\r\nbody\r\n";
}

// the message fixed for the 7-bit preset and written, or only parsed and
// written
void rewrite(benchmark::State& state, const std::string& text, bool fix) {
    std::string out;
    for (auto _ : state) {
        Object message(text.data(), text.size());
        if (fix) message.fix(Capabilities::standard());
        out.clear();
        Orvanta::Filter::String sink(&out);
        message.encode(Capabilities::standard(), &sink, false);
    }
    state.counters["written"] = double(out.size());
    state.SetBytesProcessed(int64_t(state.iterations() * text.size()));
}

// words of raw windows-1251 bytes ("Privet"), which are no UTF-8
const char cyrillic[] = " \xcf\xf0\xe8\xe2\xe5\xf2";

void rawSubject(benchmark::State& state) {
    auto words = size_t(state.range(0));
    rewrite(state,
            message(
                "Subject:", words, [](size_t) { return cyrillic; }, ""),
            true);
}
void rawName(benchmark::State& state) {
    auto words = size_t(state.range(0));
    rewrite(state,
            message(
                "To:", words, [](size_t) { return cyrillic; }, " <b@example.org>"),
            true);
}
// "x=?utf-8?q?a?==?utf-8?q?a?=...": text that only looks like encoded words
void lookalikes(benchmark::State& state) {
    auto words = size_t(state.range(0));
    rewrite(state,
            message(
                "To: \"x", words, [](size_t) { return "=?utf-8?q?a?="; }, "\" <b@example.org>"),
            true);
}
// names with only section 1, or with section 0 twice
void gappedNames(benchmark::State& state) {
    auto names = size_t(state.range(0));
    auto piece = [](size_t i) { return "; n" + std::to_string(i) + "*1=v"; };
    rewrite(state, message("Content-Type: text/plain", names, piece, ""), false);
}
void doubledNames(benchmark::State& state) {
    auto names = size_t(state.range(0));
    auto piece = [](size_t i) { return "; n" + std::to_string(i) + "*0=a; n" + std::to_string(i) + "*0=b"; };
    rewrite(state, message("Content-Type: text/plain", names, piece, ""), false);
}

void repeated(benchmark::State& state) {
    verify(state, "repeated.eml");
}
void copies(benchmark::State& state) {
    verify(state, "copies.eml");
}
void distinct(benchmark::State& state) {
    verify(state, "distinct.eml");
}

void parts(benchmark::State& state) {
    std::string text = file("parts.eml");
    size_t count = 0;
    auto parse = [&] {
        Object message(text.data(), text.size());
        count = message.body.parts().size();
    };
    peak(state, text.size(), parse);
    for (auto _ : state)
        parse();
    state.counters["parts"] = double(count);
    state.SetBytesProcessed(int64_t(state.iterations() * text.size()));
}

void recipients(benchmark::State& state) {
    std::string text = file("recipients.eml");
    size_t count = 0;
    auto extract = [&] { count = Tarvex::Message(text.data(), text.size()).recipients().size(); };
    peak(state, text.size(), extract);
    for (auto _ : state)
        extract();
    state.counters["addresses"] = double(count);
    state.SetBytesProcessed(int64_t(state.iterations() * text.size()));
}

// an answer read into key records, as a DKIM check reads it
void answer(benchmark::State& state, const char* name) {
    std::string bytes = file(name);
    size_t records = 0;
    for (auto _ : state) {
        Orvanta::Dns::DkimRecords keys;
        try {
            keys.onResolved(
                nullptr, DNS::Response(reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size()));
        } catch (const std::runtime_error&) {
            // refused: what a resolver does with it
        }
        records = keys.records().size();
    }
    state.counters["records"] = double(records);
    state.SetBytesProcessed(int64_t(state.iterations() * bytes.size()));
}

void ordinary(benchmark::State& state) {
    answer(state, "ordinary.dns");
}
void chained(benchmark::State& state) {
    answer(state, "chained.dns");
}

} // namespace

BENCHMARK(repeated)->Unit(benchmark::kMillisecond);
BENCHMARK(copies)->Unit(benchmark::kMillisecond);
BENCHMARK(distinct)->Unit(benchmark::kMillisecond);
BENCHMARK(parts)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(recipients)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK_CAPTURE(signatures, small, "signatures-small.eml")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(signatures, large, "signatures-large.eml")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(verify, tags_small, "tags-small.eml")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(verify, tags_large, "tags-large.eml")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(results, small, "results-small.txt")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(results, large, "results-large.txt")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(unsign, small, "unsign-small.eml")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(unsign, large, "unsign-large.eml")->Unit(benchmark::kMillisecond);
BENCHMARK(rawSubject)->Unit(benchmark::kMillisecond)->Arg(4000)->Arg(16000);
BENCHMARK(rawName)->Unit(benchmark::kMillisecond)->Arg(4000)->Arg(16000);
BENCHMARK(lookalikes)->Unit(benchmark::kMillisecond)->Arg(2000)->Arg(8000);
BENCHMARK(gappedNames)->Unit(benchmark::kMillisecond)->Arg(4000)->Arg(16000);
BENCHMARK(doubledNames)->Unit(benchmark::kMillisecond)->Arg(4000)->Arg(16000);
BENCHMARK(ordinary)->Unit(benchmark::kMicrosecond);
BENCHMARK(chained)->Unit(benchmark::kMicrosecond);
BENCHMARK_MAIN();
