// The charset of an RFC 2231 extended value ("charset'language'text"); the
// language is skipped, `rest()` is where the percent-encoded text starts.
// Without `required`, a text that names none is all percent-encoded
// US-ASCII.
#pragma once

#include <cstddef>
#include <string>

namespace Orvanta::Mime {

class ParamCharset {
public:
    ParamCharset(const char* data, size_t size, bool required = true);

    const std::string& charset() const { return _charset; }
    size_t rest() const { return _rest; }

private:
    std::string _charset;
    size_t _rest = 0;
};

} // namespace Orvanta::Mime
