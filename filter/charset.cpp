#include "filter/charset.h"

#include <cerrno>
#include <stdexcept>
#include <string>
#include <strings.h>
#include <utility>

namespace Orvanta::Filter {

namespace {

// The name iconv knows for a charset name seen in mail: spellings of
// US-ASCII that iconv lacks ("ansi-x3.4-1968" beside its "ANSI_X3.4-1968")
// become the one it has; other names pass unchanged. std::string refuses a
// null name with std::logic_error before iconv sees it.
std::string known(const char* name) {
    std::string text(name);
    for (const char* spelling : {"ansi-x3.4-1968", "us-ascii", "ascii"})
        if (strcasecmp(text.c_str(), spelling) == 0) return "US-ASCII";
    return text;
}

// Bytes in a charset nobody can name ("unknown-8bit", RFC 1428) pass as
// they are: a conversion could only drop them, without a word.
bool passing(const std::string& from) {
    return strcasecmp(from.c_str(), "unknown-8bit") == 0;
}

} // namespace

Charset::Charset(const char* from, const char* to, Result* next)
    : Filter(next), _passing(passing(from)),
      _descriptor(_passing ? reinterpret_cast<iconv_t>(-1)
                           : iconv_open((known(to) + "//TRANSLIT").c_str(), known(from).c_str())) {
    if (!_passing && _descriptor == reinterpret_cast<iconv_t>(-1))
        throw std::runtime_error("Conversion not possible");
}

Charset::Charset(const char* from, const char* to, Result* next, std::string replacement)
    : Charset(from, to, next) {
    _replacement = std::move(replacement);
}

Charset::~Charset() {
    if (_passing) return;
    reset();
    iconv_close(_descriptor);
}

size_t Charset::process(const char* data, size_t size, bool persistent) {
    if (_passing) return next->append(data, size, persistent);
    if (!_pending.empty()) {
        std::string joined = std::move(_pending);
        _pending.clear();
        joined.append(data, size);
        return convert(joined.data(), joined.size());
    }
    return convert(data, size);
}

size_t Charset::convert(const char* data, size_t size) {
    size_t total = 0;
    char* in = const_cast<char*>(data); // iconv's prototype is not const-correct
    size_t left = size;
    while (left > 0) {
        char buffer[1024];
        char* out = buffer;
        size_t room = sizeof buffer;
        size_t result = iconv(_descriptor, &in, &left, &out, &room);
        int error = errno;
        if (out != buffer) total += next->append(buffer, static_cast<size_t>(out - buffer), false);
        if (result != static_cast<size_t>(-1)) break;
        if (error == EINVAL) {
            // A multibyte sequence continues in the next piece.
            _pending.assign(in, left);
            break;
        }
        if (error == EILSEQ) {
            ++in;
            --left;
            if (!_replacement.empty()) total += next->append(_replacement.data(), _replacement.size(), false);
        } else if (error != E2BIG) {
            throw std::runtime_error("Conversion failed");
        }
    }
    return total;
}

size_t Charset::reset() {
    char buffer[64];
    char* out = buffer;
    size_t room = sizeof buffer;
    iconv(_descriptor, nullptr, nullptr, &out, &room);
    if (out == buffer) return 0;
    return next->append(buffer, static_cast<size_t>(out - buffer), false);
}

size_t Charset::finish() {
    if (_passing || _pending.empty()) return 0;
    _pending.clear();
    return _replacement.empty() ? 0 : next->append(_replacement.data(), _replacement.size(), false);
}

size_t Charset::flush() {
    size_t total = _passing ? 0 : reset();
    return total + next->flush();
}

} // namespace Orvanta::Filter
