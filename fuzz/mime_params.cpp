// Parses arbitrary bytes as a MIME parameter list, strictly and leniently,
// writes it back, and reads the written form again.
#include "filter/string.h"
#include "mime/grammar/capabilities.h"
#include "mime/grammar/param.h"
#include "mime/grammar/params.h"

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <cstdlib>
#include <set>
#include <string>
#include <utility>
#include <vector>

namespace {

std::vector<std::pair<std::string, std::string>> pairs(const Orvanta::Mime::Params& params) {
    std::vector<std::pair<std::string, std::string>> out;
    for (const auto& param : params.all())
        out.emplace_back(param->name(), param->value());
    std::sort(out.begin(), out.end());
    return out;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    auto text = reinterpret_cast<const char*>(data);
    for (bool strict : {true, false}) {
        // the constructor never throws: bad parameters are dropped
        Orvanta::Mime::Params params(text, size, strict);
        std::string out;
        Orvanta::Filter::String sink(&out);
        params.encode(Orvanta::Mime::Capabilities::standard(), &sink, false);
        // what we write must read back to the same values, at least where
        // names hold no '*' (read as an RFC 2231 suffix), no name repeats
        // (the sections of two split values would mix) and values are
        // printable ASCII (other bytes are converted as UTF-8); sections kept
        // as they stood may be ones only the lenient reader takes
        bool simple = true;
        std::set<std::string> names;
        for (const auto& param : params.all()) {
            if (param->name().find('*') != std::string::npos) simple = false;
            if (!strict && !param->kept().empty()) simple = false;
            std::string lower;
            for (char c : param->name())
                lower += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
            if (!names.insert(lower).second) simple = false;
            for (char c : param->value())
                if (c < 0x20 || c > 0x7e) simple = false;
        }
        if (!simple || out.size() < 2) continue;
        // (split values are joined after the others, so compare as sets)
        Orvanta::Mime::Params again(out.data() + 1, out.size() - 1, true);
        if (pairs(again) != pairs(params)) std::abort();
    }
    return 0;
}
