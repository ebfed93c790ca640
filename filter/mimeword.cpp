#include "filter/mimeword.h"

#include "filter/base64decode.h"
#include "filter/charset.h"
#include "filter/mimehex.h"

#include <cstring>
#include <exception>
#include <optional>

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
    if (size < 8 || std::memcmp(text, "=?", 2) != 0 || std::memcmp(text + size - 2, "?=", 2) != 0) return;
    // The charset ends at the first "?"; the encoding letter, a "?" and the
    // final "?=" must still follow it.
    const void* found = std::memchr(text + 2, '?', size - 6);
    if (found == nullptr) return;
    size_t mark = static_cast<size_t>(static_cast<const char*>(found) - text);
    char letter = text[mark + 1];
    if (text[mark + 2] != '?') return;
    if (letter == 'Q' || letter == 'q')
        _encoding = 'q';
    else if (letter == 'B' || letter == 'b')
        _encoding = 'b';
    else
        return;
    _charset.assign(text + 2, mark - 2);
    _charset = _charset.substr(0, _charset.find('*'));
    _payload = text + mark + 3;
    _size = size - 2 - (mark + 3);
}

size_t MimeWord::write(const char* target, Result* result) const {
    if (!encoded()) return result->append(_payload, _size, _persistent);
    FlushStop end(result);
    std::optional<Charset> opened;
    try {
        opened.emplace(_charset.c_str(), target, &end);
    } catch (const std::exception&) {
        // A charset nobody here can read: the reader sees the word as it
        // was written rather than a gap.
        return result->append(_text, _textSize, _persistent);
    }
    Charset& converter = *opened;
    size_t total = 0;
    try {
        if (_encoding == 'q') {
            total += writeQ(&converter);
            total += converter.flush();
        } else {
            Base64Decode decoder(false, &converter);
            total += decoder.process(_payload, _size, false);
            total += decoder.finish();
            total += decoder.flush();
        }
    } catch (const std::exception&) {
        // A failing conversion costs the rest of this one word; the header
        // value around it stays readable.
    }
    return total;
}

size_t MimeWord::writeQ(Result* converter) const {
    size_t total = 0;
    size_t start = 0;
    auto pushRun = [&](size_t end) {
        if (end > start) total += converter->append(_payload + start, end - start, false);
    };
    for (size_t i = 0; i < _size; ++i) {
        char c = _payload[i];
        if (c == '_') {
            pushRun(i);
            total += converter->append(" ", 1, true);
            start = i + 1;
        } else if (c == '=' && i + 2 < _size && isHexDigit(_payload[i + 1]) && isHexDigit(_payload[i + 2])) {
            pushRun(i);
            char byte = MimeHex(_payload[i + 1], _payload[i + 2]).byte();
            total += converter->append(&byte, 1, false);
            i += 2;
            start = i + 1;
        }
        // Anything else, an "=" without two hex digits included, is text.
    }
    pushRun(_size);
    return total;
}

} // namespace Orvanta::Filter
