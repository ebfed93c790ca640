#include "mime/params.h"

#include "filter/linelength.h"
#include "mime/empty.h"
#include "mime/mess.h"
#include "mime/param.h"
#include "mime/partialparams.h"
#include "mime/whitespace.h"

#include <cstring>
#include <exception>

namespace Orvanta::Mime {

Params::Params(char const* data, size_t size, bool strict) {
    if (size == 0) return;
    PartialParams partial(&_params);
    size_t position = 0;
    while (true) {
        try {
            position += Whitespace(data + position, size - position, true).consumed();
            auto param = std::make_shared<Param>(data + position, size - position, strict);
            position += param->consumed();
            if (param->key().sectioned()) partial.add(std::move(param));
            else _params.push_back(std::move(param));
        } catch (std::exception const&) {
            // a bad parameter is dropped up to the next ';'
            position += Mess(data + position, size - position, ";").consumed();
        }
        try {
            position += Whitespace(data + position, size - position, true).consumed();
        } catch (std::exception const&) {
            // an unfinished comment: nothing after it can be read
            break;
        }
        if (position >= size || data[position] != ';' || position + 1 == size) break;
        ++position;
    }
    partial.join();
}

std::shared_ptr<Param> Params::parameter(char const* name) const {
    if (name == nullptr) return nullptr;
    size_t size = std::strlen(name);
    for (auto const& param : _params)
        if (param->key().matches(name, size)) return param;
    return nullptr;
}

std::string const& Params::get(char const* name) const {
    auto param = parameter(name);
    return param ? param->value() : empty_string();
}

bool Params::set(char const* name, char const* value) {
    if (value == nullptr) return false;
    return set(name, std::string(value));
}

bool Params::set(char const* name, std::string const& value) {
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
    } catch (std::exception const&) {
        // an invalid name: the list stays as it was
        return false;
    }
}

size_t Params::encode(Capabilities const& caps, Filter::Result* out, bool persistent) const {
    size_t written = 0;
    for (auto const& param : _params) {
        written += out->append("; ", 2, true);
        written += param->encode(caps, out, persistent);
    }
    return written;
}

size_t Params::encode(Capabilities const& caps, Filter::LineLength* out, bool persistent) const {
    size_t written = 0;
    for (auto const& param : _params) {
        written += out->append("; ", 2, true);
        written += param->encode(caps, out, persistent);
    }
    return written;
}

} // namespace Orvanta::Mime
