#include "mime/grammar/params.h"

#include "filter/wordwrap.h"
#include "mime/grammar/empty.h"
#include "mime/grammar/mess.h"
#include "mime/grammar/param.h"
#include "mime/grammar/partialparams.h"
#include "mime/grammar/whitespace.h"

#include <cstring>
#include <exception>

namespace Orvanta::Mime {

Params::Params(const char* data, size_t size, bool strict) {
    if (size == 0) return;
    PartialParams partial(&_params);
    size_t position = 0;
    while (true) {
        try {
            position += Whitespace(data + position, size - position, true).consumed();
            auto param = std::make_shared<Param>(data + position, size - position, strict);
            position += param->consumed();
            if (param->key().sectioned())
                partial.add(std::move(param));
            else
                _params.push_back(std::move(param));
        } catch (const std::exception&) {
            // a bad parameter is dropped up to the next ';'
            position += Mess(data + position, size - position, ";").consumed();
            _whole = false;
        }
        try {
            position += Whitespace(data + position, size - position, true).consumed();
        } catch (const std::exception&) {
            // an unfinished comment: nothing after it can be read
            _whole = false;
            break;
        }
        if (position < size && data[position] != ';') {
            // a stray word after the value: skipped like a bad parameter, so
            // that later ones (a multipart's boundary) are still read
            _whole = false;
            position += Mess(data + position, size - position, ";").consumed();
        }
        if (position >= size || data[position] != ';' || position + 1 == size) break;
        ++position;
    }
    // sections left out make the list as unwhole as a dropped parameter
    if (!partial.join()) _whole = false;
}

std::shared_ptr<Param> Params::parameter(const char* name) const {
    if (name == nullptr) return nullptr;
    size_t size = std::strlen(name);
    for (const auto& param : _params)
        if (param->key().matches(name, size)) return param;
    return nullptr;
}

const std::string& Params::get(const char* name) const {
    auto param = parameter(name);
    return param ? param->value() : empty_string();
}

bool Params::set(const char* name, const char* value) {
    if (value == nullptr) return false;
    return set(name, std::string(value));
}

bool Params::set(const char* name, const std::string& value) {
    // readers part at a NUL: some end the value there, others keep it whole
    if (value.find('\0') != std::string::npos) return false;
    // RFC 2231 keeps '*', '\'' and '%' out of a name: readers take one that
    // holds them for a section or an encoded value of another name, or drop it
    if (name != nullptr && std::strpbrk(name, "*'%") != nullptr) return false;
    try {
        auto replacement = std::make_shared<Param>(name, value);
        for (auto& param : _params) {
            if (param->key().matches(replacement->name().data(), replacement->name().size())) {
                // the parameter keeps its name as it was written
                param = std::make_shared<Param>(param->key(), value);
                return true;
            }
        }
        _params.push_back(replacement);
        return true;
    } catch (const std::exception&) {
        // an invalid name: the list stays as it was
        return false;
    }
}

namespace {

// "; " and each parameter, in the form the target asks for
template <class Target>
size_t encodeAll(const std::vector<std::shared_ptr<Param>>& params, const Capabilities& caps, Target* out,
                 bool persistent) {
    size_t written = 0;
    for (const auto& param : params) {
        if (param->covered()) continue;
        written += out->append("; ", 2, true);
        written += param->encode(caps, out, persistent);
    }
    return written;
}

} // namespace

size_t Params::encode(const Capabilities& caps, Filter::Result* out, bool persistent) const {
    return encodeAll(_params, caps, out, persistent);
}

size_t Params::encode(const Capabilities& caps, Filter::LineLength* out, bool persistent) const {
    return encodeAll(_params, caps, out, persistent);
}

size_t Params::encode(const Capabilities& caps, Filter::WordWrap* out, bool persistent) const {
    return encodeAll(_params, caps, out, persistent);
}

} // namespace Orvanta::Mime
