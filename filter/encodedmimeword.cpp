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

} // namespace

EncodedMimeWord::EncodedMimeWord(const char* data, size_t size, size_t available,
                                 const MimeHeaderEncoding& encoding)
    : _inputSize(size) {
    // Labelled utf-8 only when the bytes the word can hold are UTF-8: other
    // 8-bit text keeps its bytes as unknown-8bit, where a reader of utf-8
    // would drop them. Each input byte takes at least one byte of the word.
    size_t window = std::min(size, available);
    bool utf8 = Utf8::valid(data, window, window < size);
    std::string prefix = std::string("=?") + Utf8::charset(utf8) + "?q?";
    size_t overhead = prefix.size() + 2; // and the final "?="
    if (available < overhead + 1) throw std::runtime_error("available space is too small for one word");
    size_t room = available - overhead;
    // "No limit" comes as a huge size: reserve only what the input can take.
    _word.reserve(std::min(available, overhead + 3 * size));
    _word = prefix;
    for (; _consumed < size && room > 0; ++_consumed) {
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
            size_t need = std::min(sequenceRoom(c, utf8), 3 * (size - _consumed));
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
