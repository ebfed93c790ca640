// One RFC 2047 "Q" encoded word ("=?utf-8?q?...?=", or "=?unknown-8bit?q?"
// for bytes that are not UTF-8), built from as much of its input as fits a
// given size without splitting a character.
#pragma once

#include "filter/mimeheaderencoding.h"

#include <cstddef>
#include <string>

namespace Orvanta::Filter {

class EncodedMimeWord {
public:
    // available: the bytes the whole word may take, "=?utf-8?q?" and "?="
    // included. Throws std::runtime_error "available space is too small for
    // one word" when not even the first input character fits.
    EncodedMimeWord(const char* data, size_t size, size_t available, const MimeHeaderEncoding& encoding);

    const std::string& word() const { return _word; }
    size_t inputSize() const { return _inputSize; }
    // Input bytes the word holds; the caller goes on from there.
    size_t consumed() const { return _consumed; }

private:
    std::string _word;
    size_t _inputSize;
    size_t _consumed = 0;
};

} // namespace Orvanta::Filter
