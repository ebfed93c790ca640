#include "mime/contentid.h"

#include "filter/wordwrap.h"
#include "mime/ascii.h"
#include "mime/capabilities.h"

#include <stdexcept>

namespace Orvanta::Mime {

ContentID::ContentID(const char* data, size_t size) {
    size_t i = 0;
    while (i < size && Ascii::isSpace(data[i]))
        ++i;
    size_t close = i + 1;
    if (i < size && data[i] == '<')
        while (close < size && data[close] != '>')
            ++close;
    if (i >= size || data[i] != '<' || close >= size)
        throw std::runtime_error("Invalid content-id: " + std::string(data, size));
    _text.assign(data + i, close + 1 - i);
}

size_t ContentID::encode(const Capabilities&, Filter::Result* out, bool persistent) const {
    return out->append(_text.data(), _text.size(), persistent);
}

size_t ContentID::encode(const Capabilities& caps, Filter::LineLength* out, bool persistent) const {
    Filter::WordWrap wrap(caps.limits(), out->size(), out);
    size_t total = wrap.append(_text.data(), _text.size(), persistent);
    return total + wrap.flush();
}

} // namespace Orvanta::Mime
