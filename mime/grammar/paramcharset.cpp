#include "mime/grammar/paramcharset.h"

#include <cstring>
#include <stdexcept>

namespace Orvanta::Mime {

ParamCharset::ParamCharset(const char* data, size_t size, bool required) : _charset("us-ascii") {
    auto first = static_cast<const char*>(std::memchr(data, '\'', size));
    if (first == nullptr) {
        if (required) throw std::runtime_error("no charset found");
        return;
    }
    size_t after = static_cast<size_t>(first - data) + 1;
    auto second = static_cast<const char*>(std::memchr(first + 1, '\'', size - after));
    if (second == nullptr) {
        if (required) throw std::runtime_error("no language found");
        return;
    }
    _charset.assign(data, first);
    _rest = static_cast<size_t>(second - data) + 1;
}

} // namespace Orvanta::Mime
