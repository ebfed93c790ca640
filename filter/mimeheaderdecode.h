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
#include "filter/keptwords.h"
#include "filter/strip.h"

#include <optional>
#include <string>

namespace Orvanta::Filter {

class MimeHeaderDecode : public Filter {
public:
    // Takes one word per call.
    class Decoder : public Filter {
    public:
        Decoder(const char* charset, Result* next, bool strict, bool keep = false, KeptWords* kept = nullptr)
            : Filter(next), _charset(charset), _strict(strict), _keep(keep), _kept(kept) {}
        // writes the encoded words still held
        ~Decoder() override;

        using Filter::process;
        size_t process(const char* word, size_t size, bool persistent) override;
        // writes the encoded words still held, then flushes on
        size_t flush() override;

    private:
        // one encoded or plain word; a glued one follows the last without
        // a blank
        size_t decode(const char* word, size_t size, bool persistent, bool glued);
        // converts and writes the held run of encoded words
        size_t release();
        // writes a plain word, the encoded words glued after text in it as
        // they stand
        size_t plain(const char* word, size_t size, bool persistent);
        // writes words as they stand, and says so to `_kept`
        size_t keep(const char* words, size_t size);
        // whether the held run's charset may take in the next word's bytes
        bool joinable();

        std::string _charset;
        bool _strict;
        bool _keep;
        KeptWords* _kept;
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
        // the last words written were kept as written, in
        // `_heldCharset`
        bool _keptLast = false;
        // the last word was text ending in an encoded word read as text,
        // which other readers join to the encoded word that follows
        bool _keptText = false;
    };

    // `strict` as Charset has it: for text that must be read exactly, such
    // as an address. `keep`: for text to be written again, encoded words
    // whose bytes do not all convert (strictly) pass as they stand,
    // as words in a charset that does not convert at all always do, so
    // that a writer can set them back in place of U+FFFD. `kept`, when
    // given, is told of every word written as it stood: those above, text
    // with an encoded word glued after it, which other readers decode where
    // this one reads text, and the encoded words that follow such text,
    // which those readers join to it.
    MimeHeaderDecode(const char* charset, Result* next, bool strict = false, bool keep = false,
                     KeptWords* kept = nullptr);
    // The members' destructors write the held last word and flush.

private:
    Decoder _decoder;
    Strip _strip;
    BufferUntil _splitter;
};

} // namespace Orvanta::Filter
