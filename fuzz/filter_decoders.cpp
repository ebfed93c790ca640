// Runs the text decoders (percent, quoted-printable, base64, RFC 2047
// header) over the input once whole and once cut into pieces whose size
// comes from the input: both must give the same bytes. The matching
// encoders must also read back to what they were given.
#include "filter/base64decode.h"
#include "filter/base64encode.h"
#include "filter/hexdecode.h"
#include "filter/mimeheaderdecode.h"
#include "filter/mimeheaderencode.h"
#include "filter/quotedprintabledecode.h"
#include "filter/quotedprintableencode.h"
#include "filter/rfc2231.h"
#include "filter/string.h"

#include <cstdint>
#include <cstdlib>
#include <functional>
#include <memory>
#include <string>

namespace {

using namespace Orvanta::Filter;
using Make = std::function<std::unique_ptr<Filter>(Result*)>;

std::string run(const Make& make, const std::string& input, size_t step) {
    std::string out;
    String sink(&out);
    {
        auto filter = make(&sink);
        for (size_t at = 0; at < input.size(); at += step)
            filter->process(input.data() + at, std::min(step, input.size() - at), false);
    }
    return out;
}

// What the quoted-printable encoder does to line ends: CR LF and a lone LF
// become CR LF, a lone CR stays one (escaped).
std::string crlf(const std::string& text) {
    std::string out;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') continue;
        out += text[i] == '\n' ? std::string("\r\n") : std::string(1, text[i]);
    }
    return out;
}

// The input without the bytes that are not part of a well-formed UTF-8
// sequence (RFC 3629: at most four bytes, no surrogates, no overlong forms).
std::string validUtf8(const std::string& input) {
    std::string out;
    size_t i = 0;
    while (i < input.size()) {
        auto c = static_cast<unsigned char>(input[i]);
        size_t length = c < 0x80                 ? 1
                        : c >= 0xc2 && c <= 0xdf ? 2
                        : c >= 0xe0 && c <= 0xef ? 3
                        : c >= 0xf0 && c <= 0xf4 ? 4
                                                 : 0;
        bool ok = length > 0 && i + length <= input.size();
        for (size_t k = 1; ok && k < length; ++k)
            ok = (static_cast<unsigned char>(input[i + k]) & 0xc0) == 0x80;
        if (ok && length >= 3) {
            auto second = static_cast<unsigned char>(input[i + 1]);
            ok = !(c == 0xe0 && second < 0xa0) && !(c == 0xed && second > 0x9f) &&
                 !(c == 0xf0 && second < 0x90) && !(c == 0xf4 && second > 0x8f);
        }
        if (ok) out.append(input, i, length);
        i += ok ? length : 1;
    }
    return out;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* bytes, size_t size) {
    if (size == 0) return 0;
    size_t step = bytes[0] % 16 + 1;
    std::string input(reinterpret_cast<const char*>(bytes + 1), size - 1);
    Make decoder;
    Make encoder;
    std::string expected = input;
    switch (bytes[0] / 16 % 4) {
    case 0:
        decoder = [](Result* next) { return std::make_unique<HexDecode>(next); };
        encoder = [](Result* next) { return std::make_unique<Rfc2231>(next); };
        break;
    case 1:
        decoder = [](Result* next) { return std::make_unique<QuotedPrintableDecode>(next); };
        encoder = [](Result* next) { return std::make_unique<QuotedPrintableEncode>(next); };
        expected = crlf(input);
        break;
    case 2:
        decoder = [](Result* next) { return std::make_unique<Base64Decode>(false, next); };
        encoder = [](Result* next) { return std::make_unique<Base64Encode>(next); };
        break;
    default:
        decoder = [](Result* next) { return std::make_unique<MimeHeaderDecode>("utf-8", next); };
        break;
    }
    if (run(decoder, input, input.size() + 1) != run(decoder, input, step)) std::abort();
    if (encoder) {
        std::string encoded = run(encoder, input, step);
        if (encoded != run(encoder, input, input.size() + 1)) std::abort();
        if (run(decoder, encoded, step) != expected) std::abort();
    } else {
        // Header text: valid UTF-8 words joined by single spaces read back
        // unchanged after encoding.
        std::string valid = validUtf8(input);
        std::string text;
        size_t start = 0;
        for (size_t i = 0; i <= valid.size(); ++i) {
            if (i < valid.size() && std::string(" \t\r\n", 5).find(valid[i]) == std::string::npos) continue;
            if (i > start) text += (text.empty() ? "" : " ") + valid.substr(start, i - start);
            start = i + 1;
        }
        Make header = [](Result* next) {
            return std::make_unique<MimeHeaderEncode>(0, 78, MimeHeaderEncoding(), next);
        };
        if (run(decoder, run(header, text, step), step) != text) std::abort();
    }
    return 0;
}
