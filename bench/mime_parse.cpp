// Messages parsed per second over the message files of one folder
// (ORVANTA_BENCH_MESSAGES, by default Python's own email test messages);
// bench/mime_parse.sh runs it beside Python's email parser.
#include "bench/messagecorpus.h"
#include "mime/grammar/contenttype.h"
#include "mime/grammar/mailboxes.h"
#include "mime/grammar/targets.h"
#include "mime/message/object.h"

#include <benchmark/benchmark.h>

#include <cstring>
#include <string>
#include <vector>

namespace {

using Orvanta::Bench::messages;

// Parses every message of the corpus once per iteration, walking each tree
// so that nothing is left unbuilt; timed by the wall clock, as the Python
// side is.
void parseCorpus(benchmark::State& state) {
    const auto& texts = messages();
    size_t bytes = 0;
    for (const auto& text : texts)
        bytes += text.size();
    for (auto _ : state) {
        for (const auto& text : texts) {
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
    std::string text = "Content-Type: multipart/mixed; boundary=\"" + std::string(size / 3, '-') +
                       "\"\r\n\r\n" + std::string(size, '-') + "\r\n";
    for (auto _ : state) {
        Orvanta::Mime::Object object(text.data(), text.size());
        benchmark::DoNotOptimize(object.body.parts().size());
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * text.size()));
}
BENCHMARK(parseRunOfHyphens)->Arg(1 << 14)->Arg(1 << 20);

// A header of 100,000 lines: valid fields, or lines without a colon, which
// the parser skips one by one.
void parseHeaderLines(benchmark::State& state) {
    std::string line = state.range(0) ? "X-Field: value\r\n" : "malformed line without a colon\r\n";
    std::string text;
    for (int i = 0; i < 100000; ++i)
        text += line;
    text += "\r\nbody\r\n";
    for (auto _ : state) {
        Orvanta::Mime::Object object(text.data(), text.size());
        benchmark::DoNotOptimize(object.header.size());
    }
    state.SetItemsProcessed(static_cast<int64_t>(state.iterations() * 100000));
}
BENCHMARK(parseHeaderLines)->ArgName("valid")->Arg(0)->Arg(1);

// The structured values the token classes read: media types with
// parameters and comments, mailbox and address lists.
void parseStructuredValues(benchmark::State& state) {
    static const char* const types[] = {
        "text/plain; charset=\"utf-8\"; format=flowed",
        "multipart/mixed (a comment) ; boundary=\"=_part_0001_\"",
        "application/octet-stream; name*=utf-8''r%C3%A9sum%C3%A9.pdf",
    };
    static const char* const lists[] = {
        "\"Doe, John\" <john.doe@example.com>, jane@example.org (Jane)",
        "Team: a@example.com, \"b\" <b@[192.0.2.1]>;, c.d.e@mail.example.net",
    };
    size_t items = 0;
    for (auto _ : state) {
        for (const char* type : types) {
            Orvanta::Mime::ContentType parsed(type, std::strlen(type), false);
            benchmark::DoNotOptimize(parsed.type().length());
        }
        for (const char* list : lists) {
            Orvanta::Mime::Targets targets(list, std::strlen(list), false);
            benchmark::DoNotOptimize(targets.targets().size());
        }
        Orvanta::Mime::Mailboxes mailboxes(lists[0], std::strlen(lists[0]), false);
        benchmark::DoNotOptimize(mailboxes.mailboxes().size());
        items += 6;
    }
    state.SetItemsProcessed(static_cast<int64_t>(items));
}
BENCHMARK(parseStructuredValues);

} // namespace

BENCHMARK_MAIN();
