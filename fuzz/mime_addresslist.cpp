// Parses arbitrary bytes as an address list, strictly and leniently, and
// writes what was accepted back out through every encoder.
#include "filter/linetracker.h"
#include "filter/string.h"
#include "mime/grammar/capabilities.h"
#include "mime/grammar/mailboxes.h"
#include "mime/grammar/targets.h"

#include <cstdint>
#include <exception>
#include <string>

namespace {

void write(const Orvanta::Mime::Encodable& value) {
    for (auto caps : {&Orvanta::Mime::Capabilities::utf8(), &Orvanta::Mime::Capabilities::standard()}) {
        std::string out;
        Orvanta::Filter::String sink(&out);
        value.encode(*caps, &sink, false);
        Orvanta::Filter::LineTracker tracker(&sink);
        value.encode(*caps, &tracker, false);
        value.encodable(*caps);
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    auto text = reinterpret_cast<const char*>(data);
    for (bool strict : {true, false}) {
        try {
            Orvanta::Mime::Targets targets(text, size, strict);
            write(targets);
            for (const auto& target : targets.targets())
                for (const auto& member : target->members())
                    (void)member->address().str(true);
        } catch (const std::exception&) {
            // refusing the input is a valid outcome; only crashes count
        }
        try {
            Orvanta::Mime::Mailboxes mailboxes(text, size, strict);
            write(mailboxes);
        } catch (const std::exception&) {
            // as above
        }
    }
    return 0;
}
