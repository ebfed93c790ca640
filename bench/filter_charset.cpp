// Throughput of the charset filter from UTF-8 to UTF-8 (the MIME layer's
// road for every UTF-8 header and text) and from UTF-8 to ISO-8859-1. The
// input is read from the file that ORVANTA_BENCH_INPUT names
// (bench/filter_charset.sh makes one of 8 MB of Latin text); without it a
// smaller input is generated here. The output lands in a string, as a
// decoded header does.
#include "bench/textinput.h"
#include "filter/charset.h"
#include "filter/string.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <string>

namespace {

using namespace Orvanta::Filter;

const std::string& input() {
    static const std::string bytes = Orvanta::Bench::textInput(
        "ORVANTA_BENCH_INPUT", {"the ", "mail ", "caf\xc3\xa9 ", "na\xc3\xafve ", "from ", "to ", "\r\n"});
    return bytes;
}

// Pushes the text in pieces of 64 KiB, as a body arrives, and ends the
// conversion; the string keeps its room from one run to the next.
void convert(benchmark::State& state, const char* target) {
    const std::string& text = input();
    std::string out;
    out.reserve(text.size() * 2);
    for (auto _ : state) {
        out.clear();
        String sink(&out);
        Charset charset("utf-8", target, &sink, "?");
        for (size_t at = 0; at < text.size(); at += 65536)
            charset.process(text.data() + at, std::min<size_t>(65536, text.size() - at), false);
        charset.finish();
        benchmark::DoNotOptimize(out.data());
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * text.size()));
    state.counters["out"] = static_cast<double>(out.size());
}

void utf8ToUtf8(benchmark::State& state) {
    convert(state, "utf-8");
}

void utf8ToLatin1(benchmark::State& state) {
    convert(state, "iso-8859-1");
}

} // namespace

BENCHMARK(utf8ToUtf8)->Unit(benchmark::kMillisecond)->MinTime(1.0);
BENCHMARK(utf8ToLatin1)->Unit(benchmark::kMillisecond)->MinTime(1.0);
BENCHMARK_MAIN();
