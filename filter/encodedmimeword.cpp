#include "filter/encodedmimeword.h"

#include "filter/mimehex.h"
#include "filter/utf8.h"

#include <algorithm>
#include <stdexcept>

namespace Orvanta::Filter {

namespace {

// Room the escapes of a whole UTF-8 sequence take, from its lead byte; in
// any other charset every byte is a character of its own.
size_t sequenceRoom(unsigned char lead, bool utf8) {
    if (!utf8) return 3;
    if (lead >= 0xf0) return 12;
    if (lead >= 0xe0) return 9;
    if (lead >= 0xc0) return 6;
    return 3;
}

bool high(char c) {
    return static_cast<unsigned char>(c) >= 0x80;
}

// Where text of one kind (UTF-8, or bytes that are none) that ends before
// `to` is cut from the next: after the last blank among the ASCII bytes that
// end it, so that a word of the other kind starts whole.
size_t cut(const char* data, size_t to) {
    for (size_t i = to; i > 0 && !high(data[i - 1]); --i)
        if (data[i - 1] == ' ') return i;
    return to;
}

// The length of a text that holds bytes that are no UTF-8 before any UTF-8
// beyond ASCII, up to the next character of UTF-8 beyond ASCII. A word holds
// no more than the `window` at its start: past it, the end matters only where
// it is cut back into the window, which a blank or other 8-bit bytes before
// it prevent. So the search ends there, and a text of many words costs no
// search of its whole rest for each of them.
size_t unknownRun(const char* data, size_t size, size_t window) {
    for (size_t i = 0; i < size; ++i) {
        if (!high(data[i])) {
            if (i >= window && data[i] == ' ') break;
            continue;
        }
        size_t length = Utf8::sequence(data + i, size - i);
        if (length > 1 && length <= size - i) return cut(data, i);
        if (i >= window) break;
    }
    return size;
}

} // namespace

EncodedMimeWord::EncodedMimeWord(const char* data, size_t size, size_t available,
                                 const MimeHeaderEncoding& encoding)
    : _inputSize(size) {
    // Labelled utf-8 only for bytes that are UTF-8: other 8-bit text keeps
    // its bytes as unknown-8bit, where a reader of utf-8 would drop them.
    // Where both meet (decoded text beside raw bytes) the word ends, so that
    // the UTF-8 text keeps a charset that names it. Each input byte takes at
    // least one byte of the word.
    size_t window = std::min(size, available);
    size_t end = size;
    bool utf8 = Utf8::valid(data, window, window < size);
    if (!utf8) {
        // the UTF-8 text before the bytes that are none, when it goes
        // beyond ASCII; else those bytes with the ASCII around them
        size_t good = Utf8::wellFormed(data, window);
        utf8 = std::any_of(data, data + good, high);
        end = utf8 ? cut(data, good) : unknownRun(data, size, window);
    }
    std::string prefix = std::string("=?") + Utf8::charset(utf8) + "?q?";
    size_t overhead = prefix.size() + 2; // and the final "?="
    if (available < overhead + 1) throw std::runtime_error("available space is too small for one word");
    size_t room = available - overhead;
    // "No limit" comes as a huge size: reserve only what the input can take.
    _word.reserve(std::min(available, overhead + 3 * size));
    _word = prefix;
    for (; _consumed < end && room > 0; ++_consumed) {
        auto c = static_cast<unsigned char>(data[_consumed]);
        if (c == ' ') {
            // Only the space has a short form; other white space (a tab, a
            // form feed) is escaped so that it reads back as itself.
            _word += '_';
            room -= 1;
        } else if (!encoding.escaped(static_cast<char>(c))) {
            _word += static_cast<char>(c);
            room -= 1;
        } else {
            // Start a character only when all of it fits (as far as the
            // input holds it); every escape costs its three bytes.
            size_t need = std::min(sequenceRoom(c, utf8), 3 * (end - _consumed));
            if (room < need || room < 3) break;
            MimeHex escape(static_cast<char>(c));
            _word.append(escape.data(), MimeHex::size());
            room -= 3;
        }
    }
    if (_consumed == 0) throw std::runtime_error("available space is too small for one word");
    _word += "?=";
}

} // namespace Orvanta::Filter
