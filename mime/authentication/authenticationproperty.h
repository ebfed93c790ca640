// One property of an Authentication-Results method result: a type
// ("header", "smtp", ...), a name and a value, which is a mailbox, a domain
// (with or without a leading '@') or plain text.
#pragma once

#include "mime/grammar/encodable.h"

#include <cstddef>
#include <string>

namespace Orvanta::Mime {

class AuthenticationProperty : public Encodable {
public:
    enum Kind { nothing = 0, plain = 1, mailbox = 2, atdomain = 3, domain = 4 };

    // parses "ptype.name=value" at the start of the text
    AuthenticationProperty(const char* data, size_t size);
    // A property made from its parts; the whole value text is read. The
    // ptype and the name must each be one keyword: std::runtime_error
    // "invalid keyword" for any other text.
    AuthenticationProperty(std::string ptype, std::string name, const std::string& value);

    // Reads a value: as a mailbox, a domain, or plain text (`entire`: the
    // whole text, which then is taken as it is when nothing else fits).
    void parse(const char* data, size_t size, bool entire);

    const std::string& ptype() const { return _ptype; }
    const std::string& name() const { return _name; }
    // the value as written back (a quoted local part keeps its quotes)
    const std::string& text() const { return _text; }
    Kind kind() const { return _kind; }
    size_t consumed() const { return _consumed; }

    using Encodable::encode;
    size_t encode(const Capabilities& caps, Filter::Result* out, bool persistent) const override;

private:
    bool parseMailbox(const char* data, size_t size, bool entire);
    bool parseDomain(const char* data, size_t size, bool entire);

    std::string _ptype;
    std::string _name;
    std::string _plain;
    std::string _local;
    std::string _domain;
    std::string _text;
    size_t _consumed = 0;
    Kind _kind = nothing;
};

} // namespace Orvanta::Mime
