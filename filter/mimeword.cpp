#include "filter/mimeword.h"

#include "filter/base64decode.h"
#include "filter/charset.h"
#include "filter/mimehex.h"
#include "filter/mimewordscan.h"
#include "filter/string.h"

#include <cstring>
#include <exception>
#include <optional>
#include <string_view>

namespace Orvanta::Filter {

namespace {

// Passes bytes on but keeps flushes to itself: the word's own stages are
// drained after each word, while the stage behind them belongs to a longer
// text (a header value still being decoded, perhaps re-encoded) that a
// flush would cut into pieces.
class FlushStop : public Result {
public:
    explicit FlushStop(Result* next) : _next(next) {}
    using Result::append;
    size_t append(const char* data, size_t size, bool persistent) override {
        return _next->append(data, size, persistent);
    }
    size_t flush() override { return 0; }

private:
    Result* _next;
};

} // namespace

MimeWord::MimeWord(const char* text, size_t size, bool persistent)
    : _text(text), _textSize(size), _payload(text), _size(size), _persistent(persistent) {
    if (size == 0 || length(text, size) != size) return;
    // the charset ends at the first "?", the encoding letter follows it
    size_t mark = static_cast<size_t>(static_cast<const char*>(std::memchr(text + 2, '?', size - 2)) - text);
    char letter = text[mark + 1];
    _encoding = letter == 'Q' || letter == 'q' ? 'q' : 'b';
    _charset.assign(text + 2, mark - 2);
    _charset = _charset.substr(0, _charset.find('*'));
    _payload = text + mark + 3;
    _size = size - 2 - (mark + 3);
}

size_t MimeWord::write(const char* target, Result* result) const {
    if (!encoded()) return result->append(_payload, _size, _persistent);
    size_t total = 0;
    // A charset nobody here can read: the reader sees the word as it was
    // written rather than a gap.
    if (!convert(_charset, bytes(), target, result, &total))
        return result->append(_text, _textSize, _persistent);
    return total;
}

bool MimeWord::convert(const std::string& charset, const std::string& bytes, const char* target,
                       Result* result, size_t* written, bool strict, bool* replaced) {
    // a charset known not to convert costs no second attempt to open it
    if (!Charset::converts(charset, target)) return false;
    FlushStop end(result);
    std::optional<Charset> opened;
    try {
        opened.emplace(charset.c_str(), target, &end, "\xef\xbf\xbd", strict);
    } catch (const std::exception&) {
        return false;
    }
    Charset& converter = *opened;
    size_t total = 0;
    bool failed = false;
    try {
        total += converter.process(bytes.data(), bytes.size(), false);
        total += converter.finish();
        total += converter.flush();
    } catch (const std::exception&) {
        // A failing conversion costs the rest of these bytes; the header
        // value around them stays readable.
        failed = true;
    }
    *written = total;
    if (replaced != nullptr) *replaced = failed || converter.replaced();
    return true;
}

size_t MimeWord::length(const char* text, size_t size) {
    return MimeWordScan(text, size).length(0);
}

size_t MimeWord::piece(const char* text, size_t size) {
    if (size_t word = length(text, size)) return word;
    // No word starts where no "?=" follows: the search for one ends there,
    // and a run of "=?" without an end costs one pass.
    size_t closing = 0;
    for (size_t at = 1; at + 1 < size; ++at) {
        if (text[at] != '=' || text[at + 1] != '?') continue;
        if (closing < at + 2) {
            closing = std::string_view(text, size).find("?=", at + 2);
            if (closing == std::string_view::npos) break;
        }
        if (length(text + at, size - at) > 0) return at;
    }
    return size;
}

size_t MimeWord::opening(const char* text, size_t size) {
    for (size_t at = 0; at + 1 < size; ++at) {
        const void* found = std::memchr(text + at, '=', size - at - 1);
        if (found == nullptr) break;
        at = static_cast<size_t>(static_cast<const char*>(found) - text);
        if (text[at + 1] != '?') continue;
        // The charset's scan ends at the "?" of the next start at the
        // latest: over a text, the scans take each byte once.
        size_t mark = at + 2;
        while (mark < size && text[mark] != '?' && text[mark] != ' ' && text[mark] != '\t' &&
               text[mark] != '\r' && text[mark] != '\n')
            ++mark;
        if (mark + 2 < size && text[mark] == '?' && std::strchr("QqBb", text[mark + 1]) != nullptr &&
            text[mark + 1] != '\0' && text[mark + 2] == '?')
            return at;
    }
    return size;
}

std::string MimeWord::bytes() const {
    std::string out;
    if (!encoded()) return std::string(_payload, _size);
    if (_encoding == 'q') {
        decodeQ(out);
        return out;
    }
    String sink(&out);
    try {
        Base64Decode decoder(false, &sink);
        decoder.process(_payload, _size, false);
        decoder.finish();
    } catch (const std::exception&) {
        // what was decoded before the break is kept
    }
    return out;
}

void MimeWord::decodeQ(std::string& out) const {
    for (size_t i = 0; i < _size; ++i) {
        char c = _payload[i];
        if (c == '_') {
            out += ' ';
        } else if (c == '=' && i + 2 < _size && isHexDigit(_payload[i + 1]) && isHexDigit(_payload[i + 2])) {
            out += MimeHex(_payload[i + 1], _payload[i + 2]).byte();
            i += 2;
        } else {
            // anything else, an "=" without two hex digits included, is text
            out += c;
        }
    }
}

} // namespace Orvanta::Filter
