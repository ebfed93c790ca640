// Dot decoding on the client's own road: standard input read in the
// client's pieces straight into the message's storage and decoded there.
// The message is the file that ORVANTA_BENCH_MESSAGE names (dot-stuffed and
// ended by the dot line; bench/client_publish.sh makes one of 100 MB);
// without it a smaller one is generated here. Reads come from the page
// cache, as for a message file on standard input; the cost of mapping the
// storage's pages, which every reader of a message pays, is left out.
#include "app/input.h"
#include "filter/contiguous.h"
#include "filter/smtpdecode.h"

#include <benchmark/benchmark.h>

#include <fcntl.h>
#include <unistd.h>

#include <cstdlib>
#include <random>
#include <stdexcept>
#include <string>

namespace {

// the message file, generated once when none is named
std::string messagePath() {
    if (const char* path = std::getenv("ORVANTA_BENCH_MESSAGE")) return path;
    static const std::string generated = [] {
        char path[] = "/tmp/orvanta-bench-XXXXXX";
        int fd = mkstemp(path);
        if (fd < 0) throw std::runtime_error("cannot make a message file");
        std::mt19937 rng(1);
        const char* words[] = {"the ", "mail ", "relay ", "queue ", "from ",
                               "to ",  "\r\n",  "\r\n..", "data "};
        std::string text;
        while (text.size() < (size_t(32) << 20))
            text += words[rng() % 9];
        text += "\r\n.\r\n";
        if (write(fd, text.data(), text.size()) != static_cast<ssize_t>(text.size()))
            throw std::runtime_error("cannot write the message file");
        close(fd);
        return std::string(path);
    }();
    return generated;
}

void dotDecodeFromInput(benchmark::State& state) {
    int fd = open(messagePath().c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) throw std::runtime_error("cannot open " + messagePath());
    size_t bytes = 0;
    off_t length = lseek(fd, 0, SEEK_END);
    for (auto _ : state) {
        lseek(fd, 0, SEEK_SET);
        // the storage's pages are mapped before the clock runs: any reader
        // of the message pays for them, amqp-publish as much as the client
        state.PauseTiming();
        Orvanta::Filter::Contiguous message;
        message.room(static_cast<size_t>(length) + 64);
        state.ResumeTiming();
        bool ended = false;
        Orvanta::Filter::SmtpDecode decoder(&message, [&](size_t) { ended = true; });
        long size = 0;
        while (!ended && (size = Input::readInto(fd, message, &decoder)) > 0)
            bytes += static_cast<size_t>(size);
        benchmark::DoNotOptimize(message.data());
    }
    close(fd);
    state.SetBytesProcessed(static_cast<int64_t>(bytes));
}

} // namespace

BENCHMARK(dotDecodeFromInput)->Unit(benchmark::kMillisecond)->MinTime(2.0);

BENCHMARK_MAIN();
