#include "filter/mimeheaderencode.h"

#include "filter/encodedmimeword.h"
#include "filter/mimeword.h"

#include <algorithm>
#include <cstring>
#include <optional>
#include <stdexcept>

namespace Orvanta::Filter {

namespace {

const char delimiters[] = " \r\n\t";

// The longest encoded word RFC 2047 allows.
constexpr size_t longestWord = 75;
// Enough for any one character: the word's 12 bytes of frame and the four
// escapes of a four-byte UTF-8 sequence.
constexpr size_t smallestWord = 24;

size_t less(size_t value, size_t amount) {
    return value > amount ? value - amount : 0;
}

} // namespace

MimeHeaderEncode::Encoder::Encoder(size_t used, size_t maximum, const MimeHeaderEncoding& encoding,
                                   Result* next, bool kept)
    : Filter(next), _maximum(maximum), _budget(less(maximum, used)), _encoding(encoding),
      _excluded(encoding.rawExcluded()), _kept(kept) {}

bool MimeHeaderEncode::Encoder::printable(const char* word, size_t size) const {
    for (size_t i = 0; i < size; ++i) {
        auto c = static_cast<unsigned char>(word[i]);
        if (c < 0x20 || c >= 0x7f || std::strchr(_excluded, word[i]) != nullptr) return false;
    }
    return true;
}

size_t MimeHeaderEncode::Encoder::process(const char* word, size_t size, bool persistent) {
    // An encoded word in a charset that cannot be converted was left as
    // written by the decoder, perhaps glued to decoded text: it goes back as
    // an encoded word of its own, for readers that know its charset, and
    // ours reads it as the same text again. The text glued to it is encoded
    // too, since readers join encoded words without the blank between them.
    size_t total = 0;
    size_t text = 0; // where the text not yet written starts
    for (size_t at = 0, length; at < size; at += length) {
        MimeWord::Run run = MimeWord::run(word + at, size - at, "utf-8", _kept);
        length = run.length > 0 ? run.length : MimeWord::piece(word + at, size - at);
        if (!run.kept || !keeps(word + at, length, at > 0)) continue;
        if (at > text) gather(word + text, at - text, text > 0);
        // the words of a run each on its own, as readers take them
        for (size_t piece = 0, one; piece < length; piece += one) {
            one = MimeWord::length(word + at + piece, length - piece);
            total += putKept(word + at + piece, one, at + piece > 0);
        }
        text = at + length;
    }
    if (text == 0) return total + putWord(word, size, persistent);
    if (text < size) gather(word + text, size - text, true);
    return total;
}

bool MimeHeaderEncode::Encoder::keeps(const char* word, size_t size, bool glued) const {
    // Readers drop a blank between two encoded words: a kept word right
    // after another is text, the blank before it inside the encoded text.
    return (glued || !(_afterKept && _gathered.empty())) && printable(word, size);
}

void MimeHeaderEncode::Encoder::gather(const char* word, size_t size, bool glued) {
    if (!glued && (!_gathered.empty() || _afterKept)) _gathered += ' ';
    _gathered.append(word, size);
}

size_t MimeHeaderEncode::Encoder::putKept(const char* word, size_t size, bool glued) {
    if (!glued && !_gathered.empty()) _gathered += ' ';
    _afterKept = true;
    size_t total = flushBuffer();
    return total + put(word, size, false);
}

size_t MimeHeaderEncode::Encoder::putWord(const char* word, size_t size, bool persistent) {
    bool raw = size <= less(_maximum, 1) && printable(word, size) &&
               !(size >= 2 && word[0] == '=' && word[1] == '?');
    if (!raw) {
        gather(word, size, false);
        return 0;
    }
    _afterKept = false;
    size_t total = flushBuffer();
    return total + put(word, size, persistent);
}

size_t MimeHeaderEncode::Encoder::put(const char* word, size_t size, bool persistent) {
    size_t total = 0;
    if (_first) {
        _budget = less(_budget, size);
    } else if (size + 1 > _budget) {
        total += nextline();
        _budget = less(_budget, size);
    } else {
        total += next->append(" ", 1, persistent);
        _budget -= size + 1;
    }
    _first = false;
    return total + next->append(word, size, persistent);
}

size_t MimeHeaderEncode::Encoder::nextline() {
    size_t total = next->append("\r\n ", 3, true);
    _budget = less(_maximum, 1);
    _first = true;
    return total;
}

size_t MimeHeaderEncode::Encoder::flushBuffer() {
    size_t total = 0;
    size_t at = 0;
    bool folded = false;
    while (at < _gathered.size()) {
        if (_budget == 0) {
            total += nextline();
            folded = true;
        }
        size_t space = std::min(_first ? _budget : less(_budget, 1), longestWord);
        std::optional<EncodedMimeWord> word;
        try {
            word.emplace(_gathered.data() + at, _gathered.size() - at, space, _encoding);
        } catch (const std::runtime_error&) {
            // Too little room left on this line: fold and try again. A
            // fresh line that is still too short (a tiny maximum) gets a word
            // just big enough for one character and runs past the maximum,
            // as an over-long raw word would.
            if (!folded) {
                total += nextline();
                folded = true;
                continue;
            }
            word.emplace(_gathered.data() + at, _gathered.size() - at, std::max(space, smallestWord),
                         _encoding);
        }
        folded = false;
        if (_first) {
            _first = false;
        } else {
            total += next->append(" ", 1, true);
            _budget = less(_budget, 1);
        }
        total += next->append(word->word().data(), word->word().size(), false);
        _budget = less(_budget, word->word().size());
        at += word->consumed();
    }
    _gathered.clear();
    return total;
}

size_t MimeHeaderEncode::Encoder::flush() {
    size_t total = flushBuffer();
    return total + next->flush();
}

MimeHeaderEncode::MimeHeaderEncode(size_t used, size_t maximum, const MimeHeaderEncoding& encoding,
                                   Result* next, bool kept)
    : Filter(&_splitter), _encoder(used, maximum, encoding, next, kept), _strip(&_encoder, delimiters),
      _splitter(&_strip, delimiters) {}

} // namespace Orvanta::Filter
