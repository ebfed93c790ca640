// The word that opens a structured value (a media type, a disposition):
// blanks before it, then its bytes up to a ';', a blank or a comment, after
// which only blanks and comments may stand before the ';' or the end.
#pragma once

#include "mime/grammar/ascii.h"
#include "mime/grammar/scanner.h"

#include <cstddef>

namespace Orvanta::Mime {

class LeadingWord {
public:
    // `vet(c, after)` is shown each byte of the word (`after` points past
    // it) and throws when it does not belong; a broken comment or anything
    // but a ';' after the blanks throws std::runtime_error with `error`
    template <typename Vet>
    LeadingWord(const char* data, size_t size, const char* error, Vet vet);

    const char* begin() const { return _begin; }
    size_t length() const { return _length; }
    // the bytes taken, the ';' included
    size_t consumed() const { return _consumed; }

private:
    // at a blank or '(' after the word: steps over the blanks, comments and
    // the ';' that must follow them
    static void skipToSemicolon(Scanner& text, const char* error);

    const char* _begin = nullptr;
    size_t _length = 0;
    size_t _consumed = 0;
};

template <typename Vet>
LeadingWord::LeadingWord(const char* data, size_t size, const char* error, Vet vet) {
    Scanner text(data, size);
    text.skipWhile(Ascii::isSpace);
    _begin = text.here();
    while (!text.atEnd()) {
        char c = text.current();
        if (c == ';') {
            text.advance(1);
            break;
        }
        if (Ascii::isSpace(c) || c == '(') {
            skipToSemicolon(text, error);
            break;
        }
        text.advance(1);
        vet(c, text.here());
        ++_length;
    }
    _consumed = text.position();
}

} // namespace Orvanta::Mime
