#include "filter/encodedmimeword.h"

#include "filter/mimehex.h"

#include <algorithm>
#include <stdexcept>

namespace Orvanta::Filter {

namespace {

constexpr char prefix[] = "=?utf-8?q?";
constexpr size_t overhead = sizeof prefix - 1 + 2; // and the final "?="

// Room the escapes of a whole UTF-8 sequence take, from its lead byte.
size_t sequenceRoom(unsigned char lead) {
    if (lead >= 0xf0) return 12;
    if (lead >= 0xe0) return 9;
    if (lead >= 0xc0) return 6;
    return 3;
}

} // namespace

EncodedMimeWord::EncodedMimeWord(const char* data, size_t size, size_t available,
                                 const MimeHeaderEncoding& encoding)
    : _inputSize(size) {
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
            size_t need = std::min(sequenceRoom(c), 3 * (size - _consumed));
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
