// Throughput of the client's road for one message: SMTP dot decoding and
// gzip compression. The message is read from the file that
// ORVANTA_BENCH_MESSAGE names (bench/filter_throughput.sh makes one of
// 100 MB); without it a smaller message is generated here.
#include "bench/textinput.h"
#include "filter/gzip.h"
#include "filter/memory.h"
#include "filter/smtpdecode.h"
#include "filter/string.h"

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <string>

namespace {

// A generated message ends in the line of a single dot, as a file made by
// the script does.
const std::string& message() {
    static const std::string text =
        Orvanta::Bench::textInput("ORVANTA_BENCH_MESSAGE", {"the ", "mail ", "relay ", "queue ", "from ",
                                                            "to ", "\r\n", "\r\n.", "data "}) +
        (std::getenv("ORVANTA_BENCH_MESSAGE") ? "" : "\r\n.\r\n");
    return text;
}

// Counts what reaches the end of the chain.
class Counter : public Orvanta::Filter::Result {
public:
    using Result::append;
    size_t append(const char*, size_t size, bool) override {
        bytes += size;
        return size;
    }
    size_t bytes = 0;
};

// As the client reads standard input: pieces of 4096 bytes, not persistent,
// collected in memory.
void dotDecodeIntoMemory(benchmark::State& state) {
    const std::string& text = message();
    for (auto _ : state) {
        Orvanta::Filter::Memory memory;
        bool ended = false;
        Orvanta::Filter::SmtpDecode decoder(&memory, [&](size_t) { ended = true; });
        for (size_t at = 0; at < text.size() && !ended; at += 4096)
            decoder.process(text.data() + at, std::min<size_t>(4096, text.size() - at), false);
        benchmark::DoNotOptimize(memory.data());
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * text.size()));
}

// The decoder alone, over the message in one push.
void dotDecode(benchmark::State& state) {
    const std::string& text = message();
    for (auto _ : state) {
        Counter counter;
        Orvanta::Filter::SmtpDecode decoder(&counter, [](size_t) {});
        decoder.process(text.data(), text.size(), true);
        benchmark::DoNotOptimize(counter.bytes);
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * text.size()));
}

// As the client compresses a body: one persistent push into a string.
void gzipIntoString(benchmark::State& state) {
    const std::string& text = message();
    size_t compressed = 0;
    for (auto _ : state) {
        std::string out;
        out.reserve(text.size() / 2);
        Orvanta::Filter::String sink(&out);
        {
            Orvanta::Filter::Gzip gzip(false, &sink);
            gzip.process(text.data(), text.size(), true);
        }
        compressed = out.size();
        benchmark::DoNotOptimize(out.data());
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * text.size()));
    state.counters["compressed"] = static_cast<double>(compressed);
}

} // namespace

BENCHMARK(dotDecodeIntoMemory)->Unit(benchmark::kMillisecond)->MinTime(2.0);
BENCHMARK(dotDecode)->Unit(benchmark::kMillisecond)->MinTime(2.0);
BENCHMARK(gzipIntoString)->Unit(benchmark::kMillisecond)->Iterations(3);

BENCHMARK_MAIN();
