// Messages parsed per second over the message files of one folder
// (ORVANTA_BENCH_MESSAGES, by default Python's own email test messages);
// bench/mime_parse.sh runs it beside Python's email parser.
#include "mime/object.h"

#include <benchmark/benchmark.h>

#include <dirent.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

std::vector<std::string> const& messages() {
    static const std::vector<std::string> texts = [] {
        char const* folder = std::getenv("ORVANTA_BENCH_MESSAGES");
        std::string path = folder ? folder : "/usr/lib/python3.11/test/test_email/data";
        std::vector<std::string> names;
        if (DIR* dir = opendir(path.c_str())) {
            while (dirent* entry = readdir(dir)) {
                std::string name = entry->d_name;
                if (name.rfind("msg_", 0) == 0) names.push_back(name);
            }
            closedir(dir);
        }
        if (names.empty()) throw std::runtime_error("no msg_* files in " + path);
        std::sort(names.begin(), names.end());
        std::vector<std::string> result;
        for (auto const& name : names) {
            std::ifstream in(path + "/" + name, std::ios::binary);
            result.emplace_back(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
        }
        return result;
    }();
    return texts;
}

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
