#include "mime/grammar/contentdisposition.h"

#include "filter/wordwrap.h"
#include "mime/grammar/ascii.h"
#include "mime/grammar/capabilities.h"
#include "mime/grammar/comments.h"
#include "mime/grammar/leadingword.h"

#include <stdexcept>

namespace Orvanta::Mime {

ContentDisposition::Setting::Setting(const char* data, size_t size) {
    LeadingWord word(data, size, "invalid content-disposition", '\0', [](char c) {
        if (!Ascii::isAlnum(c) && c != '-') throw std::runtime_error("invalid content-disposition");
    });
    _begin = word.begin();
    _length = word.length();
    _consumed = word.consumed();
    if (_length == 0) throw std::runtime_error("no content-disposition value");
}

ContentDisposition::ContentDisposition(const char* data, size_t size)
    : _setting(data, size), _params(data + _setting.consumed(), size - _setting.consumed(), true),
      _comments(Comments::any(data, size)) {}

size_t ContentDisposition::encode(const Capabilities& caps, Filter::Result* out, bool persistent) const {
    size_t total = out->append(_setting.begin(), _setting.length(), persistent);
    return total + _params.encode(caps, out, persistent);
}

size_t ContentDisposition::encode(const Capabilities& caps, Filter::LineLength* out, bool persistent) const {
    Filter::WordWrap wrap(caps.limits(), out->size(), out);
    size_t total = encode(caps, &wrap, persistent);
    return total + wrap.flush();
}

size_t ContentDisposition::encode(const Capabilities& caps, Filter::WordWrap* out, bool persistent) const {
    size_t total = out->append(_setting.begin(), _setting.length(), persistent);
    return total + _params.encode(caps, out, persistent);
}

} // namespace Orvanta::Mime
