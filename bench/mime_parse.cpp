// Messages parsed per second over the message files of one folder
// (ORVANTA_BENCH_MESSAGES, by default Python's own email test messages);
// bench/mime_parse.sh runs it beside Python's email parser.
#include "bench/messagecorpus.h"
#include "mime/object.h"

#include <benchmark/benchmark.h>

#include <string>
#include <vector>

namespace {

using Orvanta::Bench::messages;

// Parses every message of the corpus once per iteration, walking each tree
// so that nothing is left unbuilt; timed by the wall clock, as the Python
// side is.
void parseCorpus(benchmark::State& state) {
    auto const& texts = messages();
    size_t bytes = 0;
    for (auto const& text : texts) bytes += text.size();
    for (auto _ : state) {
        for (auto const& text : texts) {
            Orvanta::Mime::Object object(text.data(), text.size());
            benchmark::DoNotOptimize(object.body.parts().size());
        }
    }
    state.SetItemsProcessed(static_cast<int64_t>(state.iterations() * texts.size()));
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * bytes));
    state.counters["messages"] = static_cast<double>(texts.size());
}
BENCHMARK(parseCorpus)->UseRealTime();

// A hostile multipart: a boundary of hyphens over a longer run of them, so
// that the separator matches at almost every byte and is rejected there.
void parseRunOfHyphens(benchmark::State& state) {
    size_t size = static_cast<size_t>(state.range(0));
    std::string text = "Content-Type: multipart/mixed; boundary=\"" + std::string(size / 3, '-') + "\"\r\n\r\n" +
                       std::string(size, '-') + "\r\n";
    for (auto _ : state) {
        Orvanta::Mime::Object object(text.data(), text.size());
        benchmark::DoNotOptimize(object.body.parts().size());
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * text.size()));
}
BENCHMARK(parseRunOfHyphens)->Arg(1 << 14)->Arg(1 << 20);

} // namespace

BENCHMARK_MAIN();
