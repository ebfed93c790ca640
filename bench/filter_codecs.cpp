// Throughput of the base64 and quoted-printable filters, encoding and
// decoding. The input is read from the file that ORVANTA_BENCH_INPUT names
// (bench/filter_codecs.sh makes one of 100 MB); without it a smaller input
// is generated here. Rates count the unencoded bytes in both directions.
#include "bench/textinput.h"
#include "filter/base64decode.h"
#include "filter/base64encode.h"
#include "filter/quotedprintabledecode.h"
#include "filter/quotedprintableencode.h"
#include "filter/string.h"

#include <benchmark/benchmark.h>

#include <functional>
#include <memory>
#include <string>

namespace {

using namespace Orvanta::Filter;
using Make = std::function<std::unique_ptr<Filter>(Result*)>;

const std::string& input() {
    static const std::string bytes =
        Orvanta::Bench::textInput("ORVANTA_BENCH_INPUT", {"the ", "mail ", "caf\xc3\xa9 ", "queue ", "from ",
                                                          "to ", "\r\n", "= ", "data "});
    return bytes;
}

// Counts what reaches the end of the chain.
class Counter : public Result {
public:
    using Result::append;
    size_t append(const char*, size_t size, bool) override {
        bytes += size;
        return size;
    }
    size_t bytes = 0;
};

// Pushes the text in pieces of 64 KiB, as a body arrives, and ends the
// chain.
size_t pump(const Make& make, const std::string& text) {
    Counter counter;
    {
        auto filter = make(&counter);
        for (size_t at = 0; at < text.size(); at += 65536)
            filter->process(text.data() + at, std::min<size_t>(65536, text.size() - at), false);
        filter->flush();
    }
    return counter.bytes;
}

std::string encoded(const Make& make) {
    std::string text;
    String sink(&text);
    {
        auto filter = make(&sink);
        filter->process(input().data(), input().size(), false);
        filter->flush();
    }
    return text;
}

const Make base64Encoder = [](Result* next) { return std::make_unique<Base64Encode>(next); };
const Make base64Decoder = [](Result* next) { return std::make_unique<Base64Decode>(false, next); };
const Make qpEncoder = [](Result* next) { return std::make_unique<QuotedPrintableEncode>(next); };
const Make qpDecoder = [](Result* next) { return std::make_unique<QuotedPrintableDecode>(next); };

void run(benchmark::State& state, const Make& make, const std::string& text, const char* counter) {
    size_t out = 0;
    for (auto _ : state)
        out = pump(make, text);
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * input().size()));
    state.counters[counter] = static_cast<double>(out);
}

void base64Encode(benchmark::State& state) {
    run(state, base64Encoder, input(), "encoded");
}

void base64Decode(benchmark::State& state) {
    static const std::string text = encoded(base64Encoder);
    run(state, base64Decoder, text, "decoded");
}

void quotedPrintableEncode(benchmark::State& state) {
    run(state, qpEncoder, input(), "encoded");
}

void quotedPrintableDecode(benchmark::State& state) {
    static const std::string text = encoded(qpEncoder);
    run(state, qpDecoder, text, "decoded");
}

} // namespace

BENCHMARK(base64Encode)->Unit(benchmark::kMillisecond)->MinTime(1.0);
BENCHMARK(base64Decode)->Unit(benchmark::kMillisecond)->MinTime(1.0);
BENCHMARK(quotedPrintableEncode)->Unit(benchmark::kMillisecond)->MinTime(1.0);
BENCHMARK(quotedPrintableDecode)->Unit(benchmark::kMillisecond)->MinTime(1.0);
BENCHMARK_MAIN();
