// Parses arbitrary bytes as a whole message, walks the tree, asks the header
// its questions, edits a copy's header with the input's own values and writes
// the message back under both presets. Written under the UTF-8 preset, an
// unedited message is the input with its line feeds made CR LF (and ending
// in CR LF); a second parse-and-write pass changes nothing, nor does one
// under the standard preset when the first wrote 7-bit text.
#include "filter/string.h"
#include "mime/grammar/capabilities.h"
#include "mime/message/fatalerror.h"
#include "mime/message/object.h"
#include "mime/tests/crlf.h"
#include "mime/tests/transportable.h"

#include <cstdint>
#include <string>

namespace {

using Orvanta::Mime::Test::crlf;
using Orvanta::Mime::Test::transportable;

void walk(const Orvanta::Mime::Object& object) {
    const Orvanta::Mime::Header& header = object.header;
    header.get("content-type");
    header.all("to");
    header.valid();
    header.eightbit();
    object.body.eightbit();
    object.body.valid();
    object.encodable(Orvanta::Mime::Capabilities::standard());
    for (const auto& part : object.body.parts())
        walk(*part);
}

std::string written(const std::string& text, const Orvanta::Mime::Capabilities& caps) {
    Orvanta::Mime::Object object(text.data(), text.size());
    std::string out;
    Orvanta::Filter::String sink(&out);
    object.encode(caps, &sink, true);
    return out;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    try {
        Orvanta::Mime::Object object(reinterpret_cast<const char*>(data), size);
        walk(object);
        Orvanta::Mime::Object copy(object);
        if (object.header.size() > 0) {
            // the first value, as text, set under names that route to typed values
            const Orvanta::Mime::Value& first = object.header[0].value;
            std::string value(first.data(), first.size());
            for (const char* name : {"Content-Type", "To", "Subject", "Content-Disposition", "X-Other"}) {
                copy.header.set(name, value.c_str());
                copy.header.append(name, value.c_str());
            }
            copy.header.remove("x-other");
        }
        std::string out;
        Orvanta::Filter::String sink(&out);
        copy.encode(Orvanta::Mime::Capabilities::utf8(), &sink, true);
        object.encode(Orvanta::Mime::Capabilities::standard(), &sink, false);
        const char* text = reinterpret_cast<const char*>(data);
        std::string input(text, size);
        if (written(input, Orvanta::Mime::Capabilities::utf8()) != crlf(input, true)) __builtin_trap();
        // once written under the UTF-8 preset, or in 7-bit text for a 7-bit
        // transport, a message is written the same again
        for (const auto* caps :
             {&Orvanta::Mime::Capabilities::utf8(), &Orvanta::Mime::Capabilities::standard()}) {
            std::string once = written(input, *caps);
            if ((caps->eightbit() || transportable(once)) && written(once, *caps) != once) __builtin_trap();
        }
    } catch (const Orvanta::Mime::FatalError&) {
        // only an empty input may be refused
        if (size != 0) __builtin_trap();
    }
    return 0;
}
