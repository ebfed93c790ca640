// Measures the RFC 2047 encoded words that start at the "=?" of one text, in
// one pass over it: measured each on its own, every start would search the
// rest of the text for its "?=", and a text of many starts without an end
// would cost the square of its length.
#pragma once

#include <cstddef>
#include <string>

namespace Orvanta::Filter {

class MimeWordScan {
public:
    // refers into the text, which must outlive the scan
    MimeWordScan(const char* text, size_t size) : _text(text), _size(size) {}

    // The size of the encoded word at `at`, which ends at the first "?="
    // after its encoding letter (its text never holds a "?"); 0 when none
    // starts there. Linear over a text when `at` never decreases from one
    // call to the next.
    size_t length(size_t at);
    // the charset of the word `length` last measured, without an RFC 2231
    // language suffix; empty when it measured none
    std::string charset() const;

private:
    const char* _text;
    size_t _size;
    // the first "?=" at or after `_searched`, or the size when there is none
    size_t _searched = 0;
    size_t _closing = 0;
    // the charset of the last word measured
    const char* _charset = nullptr;
    size_t _charsetSize = 0;
};

} // namespace Orvanta::Filter
