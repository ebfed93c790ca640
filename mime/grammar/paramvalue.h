// The value of a MIME parameter: a token or a quoted string; an RFC 2231
// extended value (without section) is decoded to UTF-8.
#pragma once

#include <cstddef>
#include <string>

namespace Orvanta::Mime {

class ParamKey;

class ParamValue {
public:
    ParamValue(const ParamKey& key, const char* data, size_t size, bool strict);
    explicit ParamValue(std::string value) : _value(std::move(value)) {}

    const std::string& value() const { return _value; }
    size_t consumed() const { return _consumed; }
    // a byte of the extended value did not convert: U+FFFD stands for it
    bool replaced() const { return _replaced; }

    // "charset'language'percent-text" decoded to UTF-8 into `out`; without
    // `named`, a text that names no charset is percent-text in US-ASCII.
    // True when a byte did not convert.
    static bool decodeExtended(const char* data, size_t size, std::string& out, bool named = true);

private:
    std::string _value;
    size_t _consumed = 0;
    bool _replaced = false;
};

} // namespace Orvanta::Mime
