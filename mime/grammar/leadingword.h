// The word that opens a structured value (a media type, a disposition):
// blanks and comments before it, then its bytes up to a ';', a blank or a
// comment, after which only blanks and comments may stand before the ';' or
// the end. A media type is two such words around a separator ('/'), and
// blanks, folds and comments may stand on either side of that too, as the
// lexical rules of structured fields allow between any two tokens.
#pragma once

#include "mime/grammar/ascii.h"
#include "mime/grammar/scanner.h"
#include "mime/grammar/string.h"

#include <cstddef>
#include <stdexcept>

namespace Orvanta::Mime {

class LeadingWord {
public:
    // `vet(c)` is shown each byte of the word and throws when it does not
    // belong; with a `separator` (not 0) the word is the bytes before it and
    // those after it, and a second one in the latter is shown to `vet`. A
    // broken comment, or anything but a ';' where the word must end, throws
    // std::runtime_error with `error`.
    template <typename Vet>
    LeadingWord(const char* data, size_t size, const char* error, char separator, Vet vet);

    // the word as it stands, from its first byte to its last: with a
    // separator, what stood around it included
    const char* begin() const { return _begin; }
    size_t length() const { return _length; }
    // the bytes before the separator, or of the whole word without one
    size_t head() const { return _head; }
    // the first byte after the separator and what followed it; null when
    // no separator was found
    const char* tail() const { return _tail; }
    // the bytes taken, the ';' included
    size_t consumed() const { return _consumed; }

    // The first token of a value that need not parse, as readers that take
    // such values apart loosely find it: blanks and comments before it
    // stepped over, then the bytes a token may hold, 8-bit ones included,
    // which such readers take into a token too. `separated` tells whether
    // the separator follows it, and `followed` whether a token follows that,
    // blanks and comments aside. Empty when the value opens with no such
    // byte, or with a broken comment.
    static String first(const char* data, size_t size, char separator, bool& separated, bool& followed);

private:
    // steps over blanks and comments
    static void skip(Scanner& text, const char* error);
    // the bytes of a word up to a ';', a blank, a comment, the separator
    // (when not 0) or the end; returns how many
    template <typename Vet>
    static size_t take(Scanner& text, char separator, Vet& vet);

    const char* _begin = nullptr;
    size_t _length = 0;
    size_t _head = 0;
    const char* _tail = nullptr;
    size_t _consumed = 0;
};

template <typename Vet>
LeadingWord::LeadingWord(const char* data, size_t size, const char* error, char separator, Vet vet) {
    Scanner text(data, size);
    skip(text, error);
    _begin = text.here();
    _head = take(text, separator, vet);
    _length = _head;
    skip(text, error);
    if (separator != '\0' && text.take(separator)) {
        skip(text, error);
        _tail = text.here();
        _length = static_cast<size_t>(_tail - _begin) + take(text, '\0', vet);
        skip(text, error);
    }
    if (!text.atEnd() && !text.take(';')) throw std::runtime_error(error);
    _consumed = text.position();
}

template <typename Vet>
size_t LeadingWord::take(Scanner& text, char separator, Vet& vet) {
    size_t length = 0;
    while (!text.atEnd()) {
        char c = text.current();
        if (c == ';' || c == '(' || Ascii::isSpace(c) || (separator != '\0' && c == separator)) break;
        vet(c);
        text.advance(1);
        ++length;
    }
    return length;
}

} // namespace Orvanta::Mime
