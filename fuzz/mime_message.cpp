// Parses arbitrary bytes as a whole message, walks the tree, asks the header
// its questions, edits a copy's header with the input's own values and writes
// the message back under both presets.
#include "filter/string.h"
#include "mime/capabilities.h"
#include "mime/fatalerror.h"
#include "mime/object.h"

#include <cstdint>
#include <string>

namespace {

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
    } catch (const Orvanta::Mime::FatalError&) {
        // only an empty input may be refused
        if (size != 0) __builtin_trap();
    }
    return 0;
}
