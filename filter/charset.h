// Converts a byte stream from one character set to another with iconv;
// characters the target cannot hold are transliterated. Bytes labelled
// "unknown-8bit" pass unchanged.
#pragma once

#include "filter/filter.h"

#include <iconv.h>
#include <string>

namespace Orvanta::Filter {

class Charset : public Filter {
public:
    // Throws std::runtime_error "Conversion not possible" when iconv does
    // not know the pair; spellings of US-ASCII iconv lacks are read as
    // US-ASCII.
    Charset(const char* from, const char* to, Result* next);
    // `replacement` (in the target charset) stands for every byte that is no
    // character of the source, and for a sequence cut off at the end, where
    // the plain form skips them
    Charset(const char* from, const char* to, Result* next, std::string replacement);
    Charset(const Charset&) = delete;
    Charset& operator=(const Charset&) = delete;
    // Writes the return to the initial shift state (stateful targets only);
    // an incomplete sequence still held is dropped.
    ~Charset() override;

    using Filter::process;
    size_t process(const char* data, size_t size, bool persistent) override;
    // Ends a shifted state of the target before passing the flush on; an
    // incomplete input sequence stays held for the next piece.
    size_t flush() override;
    // Ends the input: an incomplete sequence still held becomes the
    // replacement (or is dropped without one). Returns the bytes written.
    size_t finish();

private:
    size_t convert(const char* data, size_t size);
    size_t reset();

    // bytes pass unconverted: they are "unknown-8bit"
    bool _passing;
    iconv_t _descriptor;
    // The start of a multibyte sequence that the last piece cut off.
    std::string _pending;
    std::string _replacement;
};

} // namespace Orvanta::Filter
