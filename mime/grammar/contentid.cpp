#include "mime/grammar/contentid.h"

#include "filter/wordwrap.h"
#include "mime/grammar/ascii.h"
#include "mime/grammar/capabilities.h"
#include "mime/grammar/scanner.h"

#include <stdexcept>

namespace Orvanta::Mime {

ContentID::ContentID(const char* data, size_t size) {
    Scanner scanner(data, size);
    scanner.skipWhile(Ascii::isSpace);
    const char* open = scanner.here();
    bool closed = scanner.take('<');
    if (closed) {
        scanner.skipWhile([](char c) { return c != '>'; });
        closed = scanner.take('>');
    }
    if (!closed) throw std::runtime_error("Invalid content-id: " + std::string(data, size));
    _text.assign(open, scanner.here());
    scanner.skipWhile(Ascii::isSpace);
    _whole = scanner.atEnd();
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
