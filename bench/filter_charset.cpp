// Throughput of the charset filter from UTF-8 to UTF-8 (the MIME layer's
// road for every UTF-8 header and text) and from UTF-8 to ISO-8859-1, over
// well-formed text and over the same text with a lone continuation byte
// before every 100th character (in pieces, and in one push, where a scan
// repeated at every bad byte would cost time growing with the square of the
// size). The input is read from the file that ORVANTA_BENCH_INPUT names
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

// The text with a lone 0x80 after every 100 characters.
const std::string& illFormed() {
    static const std::string bytes = [] {
        const std::string& text = input();
        std::string out;
        out.reserve(text.size() + text.size() / 50);
        size_t characters = 0;
        for (char c : text) {
            if ((static_cast<unsigned char>(c) & 0xc0) != 0x80) {
                if (characters > 0 && characters % 100 == 0) out += '\x80';
                ++characters;
            }
            out += c;
        }
        return out;
    }();
    return bytes;
}

// Pushes the text in pieces of `piece` bytes (64 KiB, as a body arrives)
// and ends the conversion; the string keeps its room from one run to the
// next.
void convert(benchmark::State& state, const std::string& text, const char* target, size_t piece = 65536) {
    std::string out;
    out.reserve(text.size() * 2);
    for (auto _ : state) {
        out.clear();
        String sink(&out);
        Charset charset("utf-8", target, &sink, "?");
        for (size_t at = 0; at < text.size(); at += piece)
            charset.process(text.data() + at, std::min(piece, text.size() - at), false);
        charset.finish();
        benchmark::DoNotOptimize(out.data());
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * text.size()));
    state.counters["out"] = static_cast<double>(out.size());
}

void utf8ToUtf8(benchmark::State& state) {
    convert(state, input(), "utf-8");
}

void utf8ToLatin1(benchmark::State& state) {
    convert(state, input(), "iso-8859-1");
}

void illFormedToLatin1(benchmark::State& state) {
    convert(state, illFormed(), "iso-8859-1");
}

void illFormedToLatin1Whole(benchmark::State& state) {
    convert(state, illFormed(), "iso-8859-1", illFormed().size());
}

} // namespace

BENCHMARK(utf8ToUtf8)->Unit(benchmark::kMillisecond)->MinTime(1.0);
BENCHMARK(utf8ToLatin1)->Unit(benchmark::kMillisecond)->MinTime(1.0);
BENCHMARK(illFormedToLatin1)->Unit(benchmark::kMillisecond)->MinTime(1.0);
BENCHMARK(illFormedToLatin1Whole)->Unit(benchmark::kMillisecond)->MinTime(1.0);
BENCHMARK_MAIN();
