#include "mime/grammar/paramdecoder.h"

#include "mime/grammar/ascii.h"

#include <stdexcept>

namespace Orvanta::Mime {

namespace {

// The converter for the named charset, or null when iconv has none.
std::unique_ptr<Filter::Charset> open(const char* charset, Filter::Result* next) {
    try {
        // a byte that is no character of the charset becomes U+FFFD, as in
        // encoded words: dropping it would change the value unseen
        return std::make_unique<Filter::Charset>(charset, "utf-8", next, "\xef\xbf\xbd");
    } catch (const std::runtime_error&) {
        // an unknown charset: its ASCII text is still readable
        return nullptr;
    }
}

} // namespace

size_t ParamDecoder::AsciiOnly::process(const char* data, size_t size, bool persistent) {
    for (size_t i = 0; i < size; ++i)
        if (!Ascii::isAscii(data[i])) other = true;
    return next->append(data, size, persistent);
}

ParamDecoder::ParamDecoder(std::string& out, const char* charset)
    : _out(out), _sink(&out), _ascii(&_sink), _charset(open(charset, &_sink)),
      _hex(_charset ? static_cast<Filter::Result*>(_charset.get()) : &_ascii) {}

void ParamDecoder::decode(const char* data, size_t size) {
    _hex.process(data, size, false);
    // an escape is whole within its section, as other readers take it; a
    // character's bytes may still run on into the next one
    _hex.finish();
}

void ParamDecoder::raw(const char* data, size_t size) {
    end();
    _out.append(data, size);
}

void ParamDecoder::end() {
    _hex.flush();
    // a sequence cut off by plain text or the end is no character either
    if (_charset) _charset->finish();
}

void ParamDecoder::finish() {
    end();
    if (_ascii.other) throw std::runtime_error("Conversion not possible");
}

} // namespace Orvanta::Mime
