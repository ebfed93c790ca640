#include "mime/canonicalizedbody.h"

#include "mime/body.h"
#include "mime/object.h"

#include <array>

namespace Orvanta::Mime {

void CanonicalizeBody::content(const char* data, size_t size) {
    if (size == 0) return;
    for (; _lines > 0; --_lines)
        _target->append("\r\n", 2);
    if (_space) _target->push_back(' ');
    _space = false;
    _target->append(data, size);
    _written = true;
}

size_t CanonicalizeBody::append(const char* data, size_t size, bool) {
    // the bytes that end a run of plain text: line ends, and blanks when
    // they are folded
    static const auto table = [](bool blanks) {
        std::array<bool, 256> special{};
        special['\r'] = special['\n'] = true;
        special[' '] = special['\t'] = blanks;
        return special;
    };
    static const std::array<bool, 256> simple = table(false);
    static const std::array<bool, 256> relaxed = table(true);
    const std::array<bool, 256>& special = _simple ? simple : relaxed;
    size_t start = 0;
    for (size_t i = 0; i < size; ++i) {
        if (_cr) {
            _cr = false;
            if (data[i] != '\n') content("\r", 1);
        }
        while (i < size && !special[static_cast<unsigned char>(data[i])])
            ++i;
        if (i == size) break;
        char c = data[i];
        // one space between two words is already canonical: the run goes on
        if (c == ' ' && i > start && i + 1 < size && !special[static_cast<unsigned char>(data[i + 1])])
            continue;
        content(data + start, i - start);
        start = i + 1;
        if (c == '\r') {
            _cr = true;
        } else if (c == '\n') {
            _space = false;
            ++_lines;
        } else {
            _space = true;
        }
    }
    content(data + start, size - start);
    return size;
}

void CanonicalizeBody::finish() {
    if (_cr) content("\r", 1);
    _cr = false;
    _lines = 0;
    _space = false;
    if (_written || _simple) _target->append("\r\n", 2);
}

CanonicalizedBody::CanonicalizedBody(const Capabilities& caps, const Body& body, bool simple) {
    _text.reserve(body.size() + 2);
    CanonicalizeBody sink(&_text, simple);
    // The bytes as they stand in the message: a multipart written afresh
    // may differ from them in its delimiters. A body built by hand has no
    // text of its own and is taken as it would be written.
    if (body.data() != nullptr || body.parts().empty())
        sink.append(body.data(), body.size(), true);
    else
        body.encode(caps, &sink, true);
    sink.finish();
}

} // namespace Orvanta::Mime
