#include "filter/mimeheaderdecode.h"

#include "filter/charset.h"
#include "filter/mimeword.h"
#include "filter/string.h"

#include <cstring>
#include <strings.h>

namespace Orvanta::Filter {

namespace {

const char delimiters[] = " \r\n\t";

} // namespace

MimeHeaderDecode::Decoder::~Decoder() {
    release();
}

size_t MimeHeaderDecode::Decoder::process(const char* word, size_t size, bool persistent) {
    size_t first = MimeWord::length(word, size);
    if (first == 0 || first == size) return decode(word, size, persistent, false);
    // An encoded word with more glued to it, as broken senders write: each
    // encoded word ends at its own "?=", and the text between and after
    // them stays where it stood, without a blank.
    size_t total = 0;
    for (size_t at = 0, length; at < size; at += length) {
        length = MimeWord::piece(word + at, size - at);
        total += decode(word + at, length, persistent, at > 0);
    }
    return total;
}

size_t MimeHeaderDecode::Decoder::decode(const char* word, size_t size, bool persistent, bool glued) {
    MimeWord parsed(word, size, persistent);
    if (_held && parsed.encoded() && strcasecmp(parsed.charset().c_str(), _heldCharset.c_str()) == 0 &&
        joinable()) {
        _heldBytes += parsed.bytes();
        _heldText.append(word, size);
        return 0;
    }
    size_t total = release();
    if (_words > 0 && !glued && !(_previousEncoded && parsed.encoded())) total += next->append(" ", 1, true);
    bool afterText = _keptText;
    _keptText = false;
    if (parsed.encoded() &&
        (afterText || (_keptLast && strcasecmp(parsed.charset().c_str(), _heldCharset.c_str()) == 0))) {
        // a word that follows one kept as written in its charset (whose
        // text is not joined): readers that join their bytes find the two
        // as they stood only when both are kept; so too a word after one
        // glued to text, which readers join without the blank between
        if (afterText) _heldCharset = parsed.charset();
        _keptLast = true;
        total += keep(word, size);
    } else if (parsed.encoded()) {
        _keptLast = false;
        _held = true;
        _heldCharset = parsed.charset();
        _heldBytes = parsed.bytes();
        _heldText.assign(word, size);
        _heldJoinable.reset();
    } else {
        _keptLast = false;
        total += plain(word, size, persistent);
    }
    _previousEncoded = parsed.encoded();
    ++_words;
    return total;
}

size_t MimeHeaderDecode::Decoder::release() {
    if (!_held) return 0;
    _held = false;
    size_t total = 0;
    if (_keep) {
        // Converted once, strictly, before anything is written: text that
        // does not convert exactly stays the words it came in. (Strictness
        // only adds replacements, so text without one is what the plain
        // conversion writes.)
        std::string text;
        String sink(&text);
        bool replaced = true;
        _keptLast =
            !MimeWord::convert(_heldCharset, _heldBytes, _charset.c_str(), &sink, &total, true, &replaced) ||
            replaced;
        if (!_keptLast) return next->append(text.data(), text.size(), false);
    } else if (MimeWord::convert(_heldCharset, _heldBytes, _charset.c_str(), next, &total, _strict)) {
        return total;
    }
    return keep(_heldText.data(), _heldText.size());
}

size_t MimeHeaderDecode::Decoder::plain(const char* word, size_t size, bool persistent) {
    // Text that holds an encoded word after other text is read as text
    // here, where other readers decode the word: the whole word goes back
    // as it stood.
    if (_kept == nullptr || std::memchr(word, '=', size) == nullptr)
        return next->append(word, size, persistent);
    bool words = false;
    bool last = false; // the last piece is an encoded word
    for (size_t at = 0, length; at < size; at += length) {
        length = MimeWord::piece(word + at, size - at);
        last = MimeWord::length(word + at, length) == length;
        words = words || last;
    }
    if (!words) return next->append(word, size, persistent);
    _keptText = last;
    return keep(word, size);
}

size_t MimeHeaderDecode::Decoder::keep(const char* words, size_t size) {
    if (_kept != nullptr) _kept->kept(size);
    return next->append(words, size, false);
}

bool MimeHeaderDecode::Decoder::joinable() {
    if (!_heldJoinable) _heldJoinable = Charset::joinable(_heldCharset.c_str());
    return *_heldJoinable;
}

size_t MimeHeaderDecode::Decoder::flush() {
    size_t total = release();
    return total + next->flush();
}

MimeHeaderDecode::MimeHeaderDecode(const char* charset, Result* next, bool strict, bool keep, KeptWords* kept)
    : Filter(&_splitter), _decoder(charset, next, strict, keep, kept), _strip(&_decoder, delimiters),
      _splitter(&_strip, delimiters) {}

} // namespace Orvanta::Filter
