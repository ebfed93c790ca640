// What hostile input costs: DKIM checks of h= lists built to be slow, the
// parse of a message of a million empty parts, the recipients of a header
// of 200k addresses, and a DNS answer whose names are chains of compression
// pointers beside an ordinary answer of the same size. The files come from
// ORVANTA_BENCH_DIR, written by bench/mime_hostile.sh, which runs this
// beside dkimpy. Memory cases report the peak resident growth of one run
// over the input's size ("peak_ratio").
#include "app/message.h"
#include "dns/resolver/resources.h"
#include "dns/wire/message.h"
#include "mime/authentication/dkimsignature.h"
#include "mime/authentication/signaturestatus.h"
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

void verify(benchmark::State& state, const char* name) {
    std::string text = file(name);
    std::string record = file("record.txt");
    while (!record.empty() && (record.back() == '\n' || record.back() == '\r'))
        record.pop_back();
    Orvanta::OpenSSL::PublicKey key(record.data(), record.size());
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
BENCHMARK(ordinary)->Unit(benchmark::kMicrosecond);
BENCHMARK(chained)->Unit(benchmark::kMicrosecond);
BENCHMARK_MAIN();
