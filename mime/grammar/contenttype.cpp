#include "mime/grammar/contenttype.h"

#include "filter/result.h"
#include "filter/wordwrap.h"
#include "mime/grammar/ascii.h"
#include "mime/grammar/capabilities.h"
#include "mime/grammar/comments.h"
#include "mime/grammar/leadingword.h"

#include <algorithm>
#include <cstring>
#include <stdexcept>

namespace Orvanta::Mime {

ContentType::Type::Type(const char* data, size_t size) {
    LeadingWord word(data, size, "invalid content-type", '/', [](char c) {
        if (c == '/') throw std::runtime_error("only one slash can be used in a content-type");
        if (!Ascii::isAscii(c) || Ascii::isControl(c)) throw std::runtime_error("invalid content-type");
    });
    _begin = word.begin();
    _mainLength = word.head();
    _sub = word.tail();
    _length = word.length();
    _consumed = word.consumed();
    if (_length == 0) throw std::runtime_error("no maintype in content-type");
    if (_sub == nullptr || subLength() == 0) throw std::runtime_error("no subtype in content-type");
}

ContentType::Type::Loose ContentType::Type::loose(const char* data, size_t size) {
    Loose word;
    word.first = LeadingWord::first(data, size, '/', word.slash, word.subtype);
    return word;
}

bool ContentType::Type::main(const char* name) const {
    return Ascii::sameNoCase(_begin, _mainLength, name, std::strlen(name));
}

bool ContentType::Type::sub(const char* name) const {
    return Ascii::sameNoCase(_sub, subLength(), name, std::strlen(name));
}

bool ContentType::Type::tokens() const {
    return std::all_of(_begin, _begin + _mainLength, Ascii::isToken) &&
           std::all_of(_sub, _sub + subLength(), Ascii::isToken);
}

bool ContentType::Type::equals(const char* text) const {
    return equals(text, std::strlen(text));
}

bool ContentType::Type::equals(const std::string& text) const {
    return equals(text.data(), text.size());
}

bool ContentType::Type::equals(const char* text, size_t size) const {
    return size == _mainLength + 1 + subLength() && text[_mainLength] == '/' &&
           Ascii::equalNoCase(_begin, text, _mainLength) &&
           Ascii::equalNoCase(_sub, text + _mainLength + 1, subLength());
}

size_t ContentType::Type::encode(Filter::Result* out, bool persistent) const {
    size_t total = out->append(_begin, _mainLength, persistent);
    total += out->append("/", 1, true);
    return total + out->append(_sub, subLength(), persistent);
}

ContentType::ContentType(const char* data, size_t size, bool strict)
    : _type(data, size), _params(data + _type.consumed(), size - _type.consumed(), true),
      _comments(Comments::any(data, size)) {
    if (strict && _type.main("multipart") && !_params.parameter("boundary"))
        throw std::runtime_error("boundary missing for content-type: " + std::string(data, size));
}

const char* ContentType::defaultName() const {
    struct Entry {
        const char* main;
        const char* sub;
        const char* name;
    };
    static const Entry table[] = {
        {"text", "html", "index.html"},
        {"text", "text", "index.txt"},
        {"image", "gif", "image.gif"},
        {"image", "jpg", "image.jpg"},
        {"image", "jpeg", "image.jpg"},
        {"image", "png", "image.png"},
        {"image", "svg+xml", "image.svg"},
        {"video", "avi", "video.avi"},
        {"video", "mp4", "video.mp4"},
        {"application", "x-zip-compressed", "compressed.zip"},
        {"application", "zip", "compressed.zip"},
        {"application", "gzip", "compressed.gz"},
    };
    for (const Entry& entry : table)
        if (_type.main(entry.main) && _type.sub(entry.sub)) return entry.name;
    return nullptr;
}

size_t ContentType::encode(const Capabilities& caps, Filter::Result* out, bool persistent) const {
    size_t total = _type.encode(out, persistent);
    return total + _params.encode(caps, out, persistent);
}

size_t ContentType::encode(const Capabilities& caps, Filter::LineLength* out, bool persistent) const {
    Filter::WordWrap wrap(caps.limits(), out->size(), out);
    size_t total = encode(caps, &wrap, persistent);
    return total + wrap.flush();
}

size_t ContentType::encode(const Capabilities& caps, Filter::WordWrap* out, bool persistent) const {
    size_t total = _type.encode(out, persistent);
    return total + _params.encode(caps, out, persistent);
}

} // namespace Orvanta::Mime
