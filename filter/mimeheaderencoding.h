// Where header text stands, in RFC 2047 terms: ordinary text (0), a
// comment (1) or a phrase (2). The place decides which bytes keep a word
// from being written raw and which bytes a "Q" encoded word must escape.
#pragma once

namespace Orvanta::Filter {

class MimeHeaderEncoding {
public:
    static constexpr int text = 0;
    static constexpr int comment = 1;
    static constexpr int phrase = 2;

    // Throws std::invalid_argument for a value other than 0, 1 and 2.
    explicit MimeHeaderEncoding(int value = text);

    int value() const { return _value; }
    // Printable bytes that a raw word must not contain (zero-terminated).
    const char* rawExcluded() const;
    // Whether a byte must be escaped inside a "Q" encoded word: white space,
    // control and non-ASCII bytes always, some printable ones by place.
    bool escaped(char byte) const;

private:
    int _value;
};

} // namespace Orvanta::Filter
