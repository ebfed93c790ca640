// Megabytes per second written by Object::encode over the message files of
// one folder (ORVANTA_BENCH_MESSAGES, by default Python's own email test
// messages), each parsed once, under both capability presets; under the
// standard preset the messages are repaired once before the loop.
// bench/mime_encode.sh runs it beside GMime's writer.
#include "bench/messagecorpus.h"
#include "filter/result.h"
#include "mime/grammar/capabilities.h"
#include "mime/message/object.h"

#include <benchmark/benchmark.h>

#include <memory>
#include <string>
#include <vector>

namespace {

using Orvanta::Bench::messages;

// takes the bytes and keeps none, as a null stream does
class Discard : public Orvanta::Filter::Result {
public:
    using Result::append;
    size_t append(const char*, size_t size, bool) override { return size; }
};

void encodeCorpus(benchmark::State& state, const Orvanta::Mime::Capabilities& caps) {
    const auto& texts = messages();
    std::vector<std::unique_ptr<Orvanta::Mime::Object>> objects;
    size_t bytes = 0;
    for (const auto& text : texts) {
        objects.push_back(std::make_unique<Orvanta::Mime::Object>(text.data(), text.size()));
        objects.back()->fix(caps);
        bytes += text.size();
    }
    Discard sink;
    for (auto _ : state) {
        size_t written = 0;
        for (const auto& object : objects)
            written += object->encode(caps, &sink, true);
        benchmark::DoNotOptimize(written);
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * bytes));
    state.counters["messages"] = static_cast<double>(texts.size());
}

void encodeStandard(benchmark::State& state) {
    encodeCorpus(state, Orvanta::Mime::Capabilities::standard());
}
BENCHMARK(encodeStandard)->UseRealTime()->MinTime(1.0);

void encodeUtf8(benchmark::State& state) {
    encodeCorpus(state, Orvanta::Mime::Capabilities::utf8());
}
BENCHMARK(encodeUtf8)->UseRealTime()->MinTime(1.0);

} // namespace

BENCHMARK_MAIN();
