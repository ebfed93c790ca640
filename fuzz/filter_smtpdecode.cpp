// Decodes the input once whole and once cut into pieces whose sizes come
// from the input itself; both must give the same bytes and the same end.
#include "filter/smtpdecode.h"
#include "filter/string.h"

#include <cstdint>
#include <cstdlib>
#include <string>

namespace {

struct Run {
    std::string out;
    size_t consumed = 0; // bytes of the input up to the end of the data
    bool ended = false;
};

Run decode(const char* data, size_t size, size_t step) {
    Run run;
    Orvanta::Filter::String sink(&run.out);
    size_t offset = 0;
    Orvanta::Filter::SmtpDecode decoder(&sink, [&](size_t n) {
        run.ended = true;
        run.consumed = offset + n;
    });
    for (; offset < size; offset += step) {
        size_t n = size - offset < step ? size - offset : step;
        decoder.process(data + offset, n, false);
        if (run.ended) break;
    }
    return run;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* bytes, size_t size) {
    if (size == 0) return 0;
    size_t step = bytes[0] % 16 + 1;
    const char* data = reinterpret_cast<const char*>(bytes + 1);
    Run whole = decode(data, size - 1, size);
    Run pieces = decode(data, size - 1, step);
    if (whole.out != pieces.out || whole.ended != pieces.ended || whole.consumed != pieces.consumed)
        std::abort();
    return 0;
}
