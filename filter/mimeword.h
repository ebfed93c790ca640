// One word of a header value, recognised as an RFC 2047 encoded word
// ("=?charset?Q?...?=" or "=?charset?B?...?=") or kept as plain text, and
// written out in a target charset.
#pragma once

#include "filter/result.h"

#include <cstddef>
#include <string>

namespace Orvanta::Filter {

class MimeWord {
public:
    // Refers into the text, which must outlive the word; a plain word is
    // later pushed with the persistent flag given here. The text is an
    // encoded word when one fills it whole (see `length`).
    MimeWord(const char* text, size_t size, bool persistent);

    bool encoded() const { return _encoding != 0; }
    // Empty for a plain word; an RFC 2231 language suffix is cut off.
    const std::string& charset() const { return _charset; }
    // 0 for a plain word, else 'q' or 'b'.
    char encoding() const { return _encoding; }
    const char* payload() const { return _payload; }
    size_t payloadSize() const { return _size; }

    // Writes the word's text converted to the target charset; a plain word
    // passes unchanged, and so does an encoded word whose charset cannot be
    // converted at all (kept as written, RFC 2047 section 6.2). A byte that
    // is no character of its charset becomes U+FFFD (where the target has
    // no U+FFFD, its "?"). The result is not flushed. Returns what the
    // pushes returned; never throws.
    size_t write(const char* target, Result* result) const;

    // An encoded word's bytes, decoded from Q or base64 but not converted
    // (a broken base64 word gives what came before the break); a plain
    // word's text.
    std::string bytes() const;
    // Writes `bytes`, text in `charset`, converted to `target` as `write`
    // does; false, and nothing written, when the pair cannot be converted.
    // `strict` as Charset has it; `replaced`, when given, tells whether a
    // sequence was no character of the charset.
    static bool convert(const std::string& charset, const std::string& bytes, const char* target,
                        Result* result, size_t* written, bool strict = false, bool* replaced = nullptr);
    // The size of the encoded word at the start of the text, which ends at
    // the first "?=" after its encoding letter (its text never holds a "?");
    // 0 when none starts there.
    static size_t length(const char* text, size_t size);
    // The size of the piece at the start of a text without blanks, as broken
    // senders glue encoded words to each other and to text: an encoded word,
    // or the text up to the next one (or the end).
    static size_t piece(const char* text, size_t size);
    // Where a text first holds the start of what a lenient reader takes for
    // an encoded word: "=?", a charset without "?" or blanks, "?", the
    // letter Q or B and "?". Readers decode such a word also where text is
    // glued to it, and some look past a blank for its end. The size when
    // there is none.
    static size_t opening(const char* text, size_t size);

private:
    void decodeQ(std::string& out) const;

    const char* _text; // the whole word as written
    size_t _textSize;
    std::string _charset;
    char _encoding = 0;
    const char* _payload;
    size_t _size;
    bool _persistent;
};

} // namespace Orvanta::Filter
