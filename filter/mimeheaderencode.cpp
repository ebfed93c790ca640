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
                                   Result* next)
    : Filter(next), _maximum(maximum), _budget(less(maximum, used)), _encoding(encoding),
      _excluded(encoding.rawExcluded()) {}

bool MimeHeaderEncode::Encoder::printable(const char* word, size_t size) const {
    for (size_t i = 0; i < size; ++i) {
        auto c = static_cast<unsigned char>(word[i]);
        if (c < 0x20 || c >= 0x7f || std::strchr(_excluded, word[i]) != nullptr) return false;
    }
    return true;
}

void MimeHeaderEncode::Encoder::kept(size_t at, size_t size) {
    _kept.push_back({at, size});
}

size_t MimeHeaderEncode::Encoder::process(const char* word, size_t size, bool persistent) {
    // Every word the decoder named before this one is part of it: the
    // words are named while the word that holds them is still coming.
    std::vector<Span> kept;
    kept.swap(_kept);
    if (kept.empty()) return putWord(word, size, persistent);
    // The kept words go back as they stood, for readers that know their
    // charset, and ours reads them as the same text again. Text glued to
    // them is decoded text: it is encoded, since readers join encoded words
    // without the blank between them.
    size_t total = 0;
    size_t text = 0; // where the text not yet written starts
    for (const Span& span : kept) {
        if (span.at > text) gather(word + text, span.at - text, text > 0);
        // encoded words glued to each other each on their own, as readers
        // take them; text glued to them as it stood stays with them
        size_t part = span.at;
        bool encoded = false;
        for (size_t at = span.at, length; at < span.at + span.size; at += length) {
            length = MimeWord::piece(word + at, span.at + span.size - at);
            bool next = MimeWord::length(word + at, length) == length;
            if (next && encoded) {
                total += putKept(word + part, at - part, part > 0, true);
                part = at;
            }
            encoded = next;
        }
        total += putKept(word + part, span.at + span.size - part, part > 0, encoded);
        text = span.at + span.size;
    }
    if (text < size) gather(word + text, size - text, true);
    return total;
}

void MimeHeaderEncode::Encoder::gather(const char* word, size_t size, bool glued) {
    if (!glued && (!_gathered.empty() || _afterKept)) _gathered += ' ';
    _gathered.append(word, size);
}

size_t MimeHeaderEncode::Encoder::putKept(const char* word, size_t size, bool glued, bool encoded) {
    // readers drop the blank between two encoded words: where it is text,
    // it goes inside the encoded text
    if (!glued && !_gathered.empty() && MimeWord::length(word, size) > 0) _gathered += ' ';
    _afterKept = encoded;
    size_t total = flushBuffer();
    return total + put(word, size, false);
}

size_t MimeHeaderEncode::Encoder::putWord(const char* word, size_t size, bool persistent) {
    // a reader decodes text shaped like an encoded word wherever it stands
    bool raw = size <= less(_maximum, 1) && printable(word, size) &&
               !(size >= 2 && word[0] == '=' && word[1] == '?') && MimeWord::opening(word, size) == size;
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
                                   Result* next)
    : Filter(&_splitter), _encoder(used, maximum, encoding, next), _strip(&_encoder, delimiters),
      _splitter(&_strip, delimiters) {}

void MimeHeaderEncode::kept(size_t size) {
    // a kept word never holds a blank: it lands in the word the splitter
    // holds, after what it holds of it
    _encoder.kept(_splitter.word().size(), size);
}

} // namespace Orvanta::Filter
