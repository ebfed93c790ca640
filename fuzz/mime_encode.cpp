// Parses arbitrary bytes as a message, repairs it for a 7-bit transport and
// writes it out. Whenever the repair says the message now fits, what was
// written must be 7-bit text in lines of at most 998 bytes; under both
// presets the count encode reports must be the bytes it wrote.
#include "filter/string.h"
#include "mime/grammar/capabilities.h"
#include "mime/message/fatalerror.h"
#include "mime/message/object.h"
#include "mime/tests/transportable.h"

#include <cstdint>
#include <string>

namespace {

using Orvanta::Mime::Test::transportable;

void write(const char* data, size_t size, const Orvanta::Mime::Capabilities& caps) {
    Orvanta::Mime::Object object(data, size);
    bool fixed = object.fix(caps);
    std::string out;
    Orvanta::Filter::String sink(&out);
    size_t count = object.encode(caps, &sink, true);
    if (count != out.size()) __builtin_trap();
    if (fixed && !caps.eightbit() && !transportable(out)) __builtin_trap();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) return 0;
    const char* text = reinterpret_cast<const char*>(data);
    write(text, size, Orvanta::Mime::Capabilities::standard());
    write(text, size, Orvanta::Mime::Capabilities::utf8());
    return 0;
}
