// Converts a byte stream from one character set to another with iconv;
// characters the target cannot hold are transliterated. Bytes labelled
// "unknown-8bit" pass unchanged, and UTF-8 to UTF-8 is a checked copy. A
// byte sequence that is no character of the source costs one code unit of
// it (a byte; two in UTF-16, four in UTF-32), so that what follows stays
// aligned; in UTF-7 it also ends a base64 run.
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
    // `replacement` (in the target charset) stands for every code unit that
    // is no character of the source, and for a sequence cut off at the end,
    // where the plain form skips them
    Charset(const char* from, const char* to, Result* next, std::string replacement);
    Charset(const Charset&) = delete;
    Charset& operator=(const Charset&) = delete;
    // Writes the return to the initial shift state (stateful targets only)
    // unless `finish` did; an incomplete sequence still held is dropped.
    ~Charset() override;

    using Filter::process;
    size_t process(const char* data, size_t size, bool persistent) override;
    // Passes the flush on. The shift states of input and output last to the
    // end of the stream, for the text after a flush continues the text
    // before it; an incomplete input sequence stays held for the next piece.
    size_t flush() override;
    // Ends the input: an incomplete sequence still held becomes the
    // replacement (or is dropped without one), and a shifted target returns
    // to its initial state. Returns the bytes written; a second call with
    // no text between writes nothing.
    size_t finish();

private:
    // the road for this source and target
    size_t dispatch(const char* data, size_t size);
    // UTF-8 to UTF-8: well-formed runs go out as they are.
    size_t copy(const char* data, size_t size);
    // From UTF-8 to another charset: iconv reads the text once and refuses
    // the ill-formed, except sequences past U+10FFFF, which it takes for
    // characters (and transliterates to "?"): a scan for their lead bytes,
    // once over the text, keeps them from it.
    size_t fromUtf8(const char* data, size_t size);
    // Converts what iconv takes, adding what was written to `total`, and
    // stops at the first sequence it does not take: returns EINVAL or
    // EILSEQ with `data` and `size` at what is left, or 0 when all went.
    int convert(const char*& data, size_t& size, size_t& total);
    // Any other source: every sequence iconv refuses is skipped.
    size_t convertAll(const char* data, size_t size);
    // At a byte of UTF-8 that begins no character (or one the target
    // refused): skips it and writes its replacement, or keeps the rest as
    // pending input when it is a character the piece cuts off.
    size_t badUtf8(const char*& data, size_t& size);
    // what is written for the bytes of a sequence that is no character
    size_t replace();
    size_t reset();
    // the size of the source's code unit, learned at the first invalid
    // sequence
    size_t unit();

    // bytes pass unconverted: they are "unknown-8bit"
    bool _passing;
    // the source is UTF-8
    bool _utf8;
    // and so is the target: no iconv at all
    bool _copy;
    // the source is UTF-7, whose base64 run ends at a bad byte
    bool _utf7;
    // `finish` ran and no text came after it
    bool _ended = false;
    // The last invalid sequence iconv reported already has its
    // replacement: iconv may report one after it has consumed it, and then
    // what comes next is no part of it.
    bool _reported = false;
    std::string _from;
    size_t _unit = 0; // 0 until known
    iconv_t _descriptor;
    // The start of a multibyte sequence that the last piece cut off.
    std::string _pending;
    std::string _replacement;
};

} // namespace Orvanta::Filter
