#include "filter/mimeheaderdecode.h"

#include "filter/mimeword.h"

namespace Orvanta::Filter {

namespace {

const char delimiters[] = " \r\n\t";

} // namespace

size_t MimeHeaderDecode::Decoder::process(const char* word, size_t size, bool persistent) {
    MimeWord parsed(word, size, persistent);
    size_t total = 0;
    if (_words > 0 && !(_previousEncoded && parsed.encoded())) total += next->append(" ", 1, true);
    total += parsed.write(_charset.c_str(), next);
    _previousEncoded = parsed.encoded();
    ++_words;
    return total;
}

MimeHeaderDecode::MimeHeaderDecode(const char* charset, Result* next)
    : Filter(&_splitter), _decoder(charset, next), _strip(&_decoder, delimiters),
      _splitter(&_strip, delimiters) {}

} // namespace Orvanta::Filter
