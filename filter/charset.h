// Converts a byte stream from one character set to another with iconv;
// characters the target cannot hold are transliterated. Bytes labelled
// "unknown-8bit" pass unchanged, and UTF-8 to UTF-8 is a checked copy; any
// other source is read into UTF-8 first, and what comes out as UTF-8 is
// well-formed, whatever the source is called. A byte sequence that is no
// character of the source costs one code unit of it (a byte; two in UTF-16,
// four in UTF-32), so that what follows stays aligned.
#pragma once

#include "filter/filter.h"
#include "filter/utf7.h"

#include <iconv.h>
#include <optional>
#include <string>

namespace Orvanta::Filter {

class Charset : public Filter {
public:
    // Throws std::runtime_error "Conversion not possible" when iconv does
    // not know the pair; spellings of US-ASCII iconv lacks are read as
    // US-ASCII.
    Charset(const char* from, const char* to, Result* next);
    // `replacement`, text in UTF-8 (U+FFFD as a rule), stands for every code
    // unit that is no character of the source, and for a sequence cut off at
    // the end, where the plain form skips them. It goes through the target's
    // encoder like the text around it, so a shifted target shifts back for
    // it, and a target without the character writes its "?". `strict`
    // also counts what glibc's reader of UTF-7 lets pass and RFC 2152 calls
    // ill-formed (see Utf7), where the exact text matters more than what a
    // reader makes of a broken one.
    Charset(const char* from, const char* to, Result* next, std::string replacement, bool strict = false);
    // Whether two texts in the charset, each well-formed alone, read the
    // same joined byte to byte: not in UTF-7, whose last base64 run may end
    // with the text and would take in what follows, nor where a text opens
    // with a byte order mark. A charset iconv does not know is joinable.
    static bool joinable(const char* charset);
    // Whether text in the charset converts to `to` here, learned once per
    // pair: a header of many words in a charset that does not convert opens
    // it once.
    static bool converts(const std::string& from, const char* to);
    // Whether two texts in the charset, each converted without a
    // replacement, convert joined to what they gave apart: in UTF-8, and
    // where each byte is a character alone (or none at all) and the reader
    // keeps nothing of it for the next (no shift, no letter held for a
    // combining mark). Learned once per name.
    static bool separable(const char* charset);
    Charset(const Charset&) = delete;
    Charset& operator=(const Charset&) = delete;
    // Writes a letter the reader still holds back and the return to the
    // initial shift state (stateful targets only) unless `finish` did; an
    // incomplete sequence still held is dropped.
    ~Charset() override;

    using Filter::process;
    size_t process(const char* data, size_t size, bool persistent) override;
    // Passes the flush on. The shift states of input and output last to the
    // end of the stream, for the text after a flush continues the text
    // before it; an incomplete input sequence stays held for the next piece.
    size_t flush() override;
    // Ends the input: a letter the reader holds back (a combining mark
    // might have followed it) is written, an incomplete sequence still held
    // becomes the replacement (or is dropped without one), and a shifted
    // target returns to its initial state. Returns the bytes written; a second call with
    // no text between writes nothing.
    size_t finish();
    // Whether a sequence that is no character of the source was met since
    // the filter was made (replaced, or skipped without a replacement).
    bool replaced() const { return _replaced; }

private:
    // An iconv descriptor of one pair, none when iconv does not know the
    // pair. A `kept` one is taken from the ConverterCache and given back
    // when done with; others are opened and closed. Only a charset whose
    // texts may be joined is kept: a reader of UTF-16 or UTF-32 keeps the
    // byte order a text's mark chose beyond the reset to its initial state.
    class Descriptor {
    public:
        Descriptor() = default;
        Descriptor(std::string to, std::string from, bool kept);
        Descriptor(Descriptor&& other) noexcept { *this = std::move(other); }
        Descriptor& operator=(Descriptor&& other) noexcept;
        ~Descriptor() { reset(); }
        iconv_t get() const { return _descriptor; }
        explicit operator bool() const { return _descriptor != nullptr; }
        void reset();

    private:
        iconv_t _descriptor = nullptr;
        bool _kept = false;
        std::string _to;
        std::string _from;
    };
    // hands what the UTF-7 reader decodes on to the target
    class Utf7Output;

    // none when iconv does not know the pair; `kept` as Descriptor has it
    static Descriptor open(const std::string& to, const std::string& from, bool kept = false);

    // the road for this source and target
    size_t dispatch(const char* data, size_t size);
    // UTF-8 to UTF-8: well-formed runs go out as they are.
    size_t copy(const char* data, size_t size);
    // From UTF-8 to another charset: iconv reads the text once and refuses
    // the ill-formed, except sequences past U+10FFFF, which it takes for
    // characters (and transliterates to "?"): a scan for their lead bytes,
    // once over the text, keeps them from it.
    size_t fromUtf8(const char* data, size_t size);
    // Any other source but UTF-7: iconv reads it into UTF-8, and every
    // sequence it refuses is skipped.
    size_t decode(const char* data, size_t size);
    // What iconv read into UTF-8, on to the target: a code point past
    // U+10FFFF (glibc reads them from UCS-4) is one replacement.
    size_t decoded(const char* data, size_t size);
    // well-formed UTF-8 on to the target
    size_t onward(const char* data, size_t size);
    // Reads the source into UTF-8 as far as iconv takes it, adding what was
    // written to `total`, and stops at the first sequence it does not take:
    // returns EINVAL or EILSEQ with `data` and `size` at what is left, or 0
    // when all went. What it read goes on through `decoded`.
    int convert(const char*& data, size_t& size, size_t& total);
    // The same from UTF-8 to the target, on to the next stage, in windows
    // of input whose output the buffer surely holds whole.
    int encode(const char*& data, size_t& size, size_t& total);
    // At a byte of UTF-8 that begins no character (or one the target
    // refused): skips it and writes its replacement, or keeps the rest as
    // pending input when it is a character the piece cuts off.
    size_t badUtf8(const char*& data, size_t& size);
    // what is written for the bytes of a sequence that is no character
    size_t replace();
    // Writes what the reader holds back and returns it to its initial
    // state: glibc's readers of Vietnamese, Hebrew and Tamil text keep a
    // letter until they know no combining mark follows, and only the end
    // of the text gives it up.
    size_t release();
    // Whether the reader holds letters back, learned at the first invalid
    // sequence. Such a reader keeps no other state, so that it may be
    // released there.
    bool holdsLetters();
    // returns reader and writer to their initial states, writing what the
    // reader held and what the target needs for that
    size_t reset();
    // the size of the source's code unit, learned at the first invalid
    // sequence
    size_t unit();

    // bytes pass unconverted: they are "unknown-8bit"
    bool _passing;
    // `finish` ran and no text came after it
    bool _ended = false;
    // The last invalid sequence iconv reported already has its
    // replacement: iconv may report one after it has consumed it, and then
    // what comes next is no part of it.
    bool _reported = false;
    std::string _from;
    std::string _to;
    size_t _unit = 0; // 0 until known
    std::optional<bool> _holds;
    // From the source to UTF-8; none when the source is UTF-8 or UTF-7 (by
    // whatever name glibc opens them).
    Descriptor _decoder;
    std::optional<Utf7> _utf7;
    // From UTF-8 to the target; none when the target is UTF-8.
    Descriptor _encoder;
    // The start of a multibyte sequence that the last piece cut off.
    std::string _pending;
    std::string _replacement;
    // the replacement as the encoder is given it, learned when first written
    std::optional<std::string> _encodable;
    // the reader's and the writer's output, grown to what the input needs
    // up to their limit
    std::string _read;
    std::string _written;
    // the writer has taken a character
    bool _begun = false;
    bool _replaced = false;
};

} // namespace Orvanta::Filter
