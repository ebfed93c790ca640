#include "mime/contentdisposition.h"

#include "filter/wordwrap.h"
#include "mime/ascii.h"
#include "mime/capabilities.h"
#include "mime/whitespace.h"

#include <stdexcept>

namespace Orvanta::Mime {

ContentDisposition::Setting::Setting(char const* data, size_t size) {
    size_t i = 0;
    while (i < size && Ascii::isSpace(data[i])) ++i;
    _begin = data + i;
    for (; i < size; ++i) {
        char c = data[i];
        if (c == ';') {
            ++i;
            break;
        }
        if (Ascii::isSpace(c) || c == '(') {
            // white space or a comment may stand between the word and its ';'
            i = Whitespace::beforeSemicolon(data, size, i, "invalid content-disposition");
            break;
        }
        if (!Ascii::isAlnum(c) && c != '-') throw std::runtime_error("invalid content-disposition");
        ++_length;
    }
    _consumed = i;
    if (_length == 0) throw std::runtime_error("no content-disposition value");
}

ContentDisposition::ContentDisposition(char const* data, size_t size)
    : _setting(data, size), _params(data + _setting.consumed(), size - _setting.consumed(), true) {}

size_t ContentDisposition::encode(Capabilities const& caps, Filter::Result* out, bool persistent) const {
    size_t total = out->append(_setting.begin(), _setting.length(), persistent);
    return total + _params.encode(caps, out, persistent);
}

size_t ContentDisposition::encode(Capabilities const& caps, Filter::LineLength* out, bool persistent) const {
    Filter::WordWrap wrap(caps.limits(), out->size(), out);
    size_t total = wrap.append(_setting.begin(), _setting.length(), persistent);
    total += _params.encode(caps, static_cast<Filter::LineLength*>(&wrap), persistent);
    return total + wrap.flush();
}

} // namespace Orvanta::Mime
