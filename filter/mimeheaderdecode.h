// Decodes a header value word by word into one charset: RFC 2047 encoded
// words are decoded, words are joined by single spaces, and adjacent
// encoded words are joined without one. Adjacent encoded words of one
// charset are decoded together before the conversion, so that a character
// split between two of them stays whole; in a charset whose text carries
// state to its end or from its start (UTF-7, a byte order mark) each word is
// converted on its own, as it was written.
#pragma once

#include "filter/bufferuntil.h"
#include "filter/filter.h"
#include "filter/strip.h"

#include <optional>
#include <string>

namespace Orvanta::Filter {

class MimeHeaderDecode : public Filter {
public:
    // Takes one word per call.
    class Decoder : public Filter {
    public:
        Decoder(const char* charset, Result* next, bool strict, bool keep = false)
            : Filter(next), _charset(charset), _strict(strict), _keep(keep) {}
        // writes the encoded words still held
        ~Decoder() override;

        using Filter::process;
        size_t process(const char* word, size_t size, bool persistent) override;
        // writes the encoded words still held, then flushes on
        size_t flush() override;
        // whether an encoded word was written as it stood (see `keep`)
        bool kept() const { return _keptAny; }

    private:
        // one encoded or plain word; a glued one follows the last without
        // a blank
        size_t decode(const char* word, size_t size, bool persistent, bool glued);
        // converts and writes the held run of encoded words
        size_t release();
        // whether the held run's charset may take in the next word's bytes
        bool joinable();

        std::string _charset;
        bool _strict;
        bool _keep;
        size_t _words = 0;
        bool _previousEncoded = false;
        // adjacent encoded words of one charset: their bytes, and their text
        // as written for a charset that cannot be converted
        bool _held = false;
        std::string _heldCharset;
        std::string _heldBytes;
        std::string _heldText;
        // learned when a second word of the charset comes
        std::optional<bool> _heldJoinable;
        // `keep`: the last words written were kept as written, in
        // `_heldCharset`
        bool _keptLast = false;
        bool _keptAny = false;
    };

    // `strict` as Charset has it: for text that must be read exactly, such
    // as an address. `keep`: for text to be written again, encoded words
    // whose bytes do not all convert (`MimeWord::exact`) pass as they stand,
    // as words in a charset that does not convert at all always do, so
    // that a writer can set them back in place of U+FFFD.
    MimeHeaderDecode(const char* charset, Result* next, bool strict = false, bool keep = false);
    // Whether an encoded word of what was flushed so far was written as it
    // stood: its charset does not convert, or, with `keep`, its bytes do
    // not. Without one, what `keep` wrote is what the plain decoding writes.
    bool kept() const { return _decoder.kept(); }
    // The members' destructors write the held last word and flush.

private:
    Decoder _decoder;
    Strip _strip;
    BufferUntil _splitter;
};

} // namespace Orvanta::Filter
