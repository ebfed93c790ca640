#include "mime/grammar/param.h"

#include "filter/linelength.h"
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
             size - _key.consumed() - _before - 1 - _after, strict) {}

Param::Param(const char* name, const char* value, size_t size)
    : _key(wholeKey(name)), _value(valueOf(value, size)) {}

Param::Param(const char* name, std::string value) : _key(wholeKey(name)), _value(std::move(value)) {}

Param::Param(ParamKey key, std::string value) : _key(std::move(key)), _value(std::move(value)) {}

size_t Param::write(Filter::Result* out, size_t limit, bool folded, bool persistent) const {
    ParamSplitter splitter(out, _key, value(), limit, folded);
    size_t written = splitter.nextline(persistent);
    written += splitter.process(value().data(), value().size(), persistent);
    return written + splitter.finish();
}

size_t Param::encode(const Capabilities& caps, Filter::Result* out, bool persistent) const {
    return write(out, caps.preferred(), false, persistent);
}

size_t Param::encode(const Capabilities& caps, Filter::LineLength* out, bool persistent) const {
    // written against a line position: through a word wrapper
    return write(out, caps.preferred() - 1, true, persistent);
}

} // namespace Orvanta::Mime
