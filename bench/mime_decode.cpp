// Decoding encoded words: every Subject decoded to UTF-8 text and every
// display name of the From, To, Cc and Reply-To fields read, over the
// message files of one folder (ORVANTA_BENCH_MESSAGES), for the first
// quarter of them and for all. The messages are parsed before the clock
// starts; bench/mime_decode.sh writes them (Subjects and names in eleven
// charsets) and runs GMime's decoders and Python's beside this.
#include "bench/messagecorpus.h"
#include "filter/mimeheaderdecode.h"
#include "filter/string.h"
#include "mime/grammar/targets.h"
#include "mime/message/object.h"

#include <benchmark/benchmark.h>

#include <string>
#include <utility>
#include <vector>

namespace {

using namespace Orvanta::Mime;

// the values to decode: the Subjects, and the address fields
struct Fields {
    std::vector<std::string> subjects;
    std::vector<std::string> addresses;
};

Fields fields(size_t messages) {
    const auto& texts = Orvanta::Bench::messages();
    Fields found;
    for (size_t i = 0; i < messages && i < texts.size(); ++i) {
        Object message(texts[i].data(), texts[i].size());
        for (const char* name : {"subject", "from", "to", "cc", "reply-to"}) {
            for (const Value& value : message.header.all(name)) {
                auto& list = name[0] == 's' ? found.subjects : found.addresses;
                list.emplace_back(value.data(), value.size());
            }
        }
    }
    return found;
}

void decode(benchmark::State& state) {
    Fields values = fields(size_t(state.range(0)));
    size_t bytes = 0;
    for (auto _ : state) {
        bytes = 0;
        for (const std::string& value : values.subjects) {
            std::string text;
            Orvanta::Filter::String sink(&text);
            {
                Orvanta::Filter::MimeHeaderDecode decoder("utf-8", &sink);
                decoder.process(value.data(), value.size(), true);
                decoder.flush();
            }
            bytes += text.size();
        }
        for (const std::string& value : values.addresses) {
            Targets targets(value.data(), value.size(), false);
            for (const auto& target : targets.targets()) {
                bytes += target->name().text().size();
                for (const auto& member : target->members())
                    bytes += member->name().text().size();
            }
        }
        benchmark::DoNotOptimize(bytes);
    }
    state.counters["fields"] = double(values.subjects.size() + values.addresses.size());
    state.counters["decoded"] = double(bytes);
}

} // namespace

BENCHMARK(decode)->Unit(benchmark::kMillisecond)->Arg(500)->Arg(2000);
BENCHMARK_MAIN();
