#include "mime/grammar/param.h"

#include "filter/linelength.h"
#include "filter/wordwrap.h"
#include "mime/grammar/capabilities.h"
#include "mime/grammar/paramsplitter.h"
#include "mime/grammar/whitespace.h"

#include <cstring>
#include <stdexcept>

namespace Orvanta::Mime {

namespace {

ParamKey wholeKey(const char* name) {
    if (name == nullptr) throw std::runtime_error("invalid key");
    size_t size = std::strlen(name);
    ParamKey key(name, size);
    if (key.consumed() != size) throw std::runtime_error("invalid key");
    return key;
}

std::string valueOf(const char* value, size_t size) {
    if (value == nullptr) throw std::runtime_error("invalid value");
    return std::string(value, size);
}

} // namespace

Param::Param(const char* data, size_t size, bool strict)
    : _key(data, size), _before(Whitespace(data + _key.consumed(), size - _key.consumed(), true).consumed()),
      _equals(data + _key.consumed() + _before, size - _key.consumed() - _before, '='),
      _after(Whitespace(data + _key.consumed() + _before + 1, size - _key.consumed() - _before - 1, true)
                 .consumed()),
      _value(_key, data + _key.consumed() + _before + 1 + _after,
             size - _key.consumed() - _before - 1 - _after, strict) {
    if (_key.sectioned() || _value.replaced())
        _kept.push_back(std::string(data, _key.consumed()) + "=" +
                        std::string(data + _key.consumed() + _before + 1 + _after, _value.consumed()));
}

Param::Param(const char* name, const char* value, size_t size)
    : _key(wholeKey(name)), _value(valueOf(value, size)) {}

Param::Param(const char* name, std::string value) : _key(wholeKey(name)), _value(std::move(value)) {}

Param::Param(ParamKey key, std::string value, std::vector<std::string> kept, bool covered)
    : _key(std::move(key)), _value(std::move(value)), _kept(std::move(kept)), _covered(covered) {}

size_t Param::write(Filter::Result* out, size_t limit, bool folded, bool persistent) const {
    ParamSplitter splitter(out, _key, value(), limit, folded);
    size_t written = splitter.nextline(persistent);
    written += splitter.process(value().data(), value().size(), persistent);
    return written + splitter.finish();
}

size_t Param::encode(const Capabilities& caps, Filter::Result* out, bool persistent) const {
    if (_kept.empty()) return write(out, caps.preferred(), false, persistent);
    size_t written = 0;
    for (size_t i = 0; i < _kept.size(); ++i) {
        if (i > 0) written += out->append("; ", 2, true);
        written += out->append(_kept[i].data(), _kept[i].size(), false);
    }
    return written;
}

size_t Param::encode(const Capabilities& caps, Filter::LineLength* out, bool persistent) const {
    // written against a line position: through a word wrapper
    if (_kept.empty()) return write(out, caps.preferred() - 1, true, persistent);
    Filter::WordWrap wrap(caps.limits(), out->size(), out);
    size_t written = encode(caps, &wrap, persistent);
    return written + wrap.flush();
}

size_t Param::encode(const Capabilities& caps, Filter::WordWrap* out, bool persistent) const {
    if (_kept.empty()) return encode(caps, static_cast<Filter::LineLength*>(out), persistent);
    // each section on the line or on a folded one, never folded inside nor
    // its blanks merged: a quoted section's blanks are its value
    size_t written = 0;
    for (size_t i = 0; i < _kept.size(); ++i) {
        if (i > 0) written += out->append("; ", 2, true);
        written += out->keep(_kept[i].data(), _kept[i].size());
    }
    return written;
}

} // namespace Orvanta::Mime
