// The canonicalization a signature names in c=: "simple" or "relaxed" for
// the header fields and for the body.
#pragma once

#include "mime/message/signaturetype.h"

#include <string>

namespace Orvanta::Mime {

class Canonicalization {
public:
    // simple/simple
    Canonicalization() = default;
    Canonicalization(bool simpleHeader, bool simpleBody) : _header(simpleHeader), _body(simpleBody) {}
    // A c= value: one word for the header (the body then simple), or two
    // separated by '/'; null or empty is simple/simple. Throws
    // std::runtime_error "unsupported canonicalization algorithm".
    explicit Canonicalization(const char* text);

    // true for simple, false for relaxed
    bool header() const { return _header; }
    bool body() const { return _body; }
    // the c= value naming both, as "relaxed/simple"
    std::string text() const;

private:
    bool _header = true;
    bool _body = true;
};

} // namespace Orvanta::Mime
