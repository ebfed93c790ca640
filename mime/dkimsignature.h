// The value of a DKIM-Signature header field: a tag=value list kept in the
// order it was read, each tag checked by its own grammar when parsing
// strictly, with the signed-field list (h=) and the copied-field list (z=)
// held as lists. The ARC signature headers share this grammar and derive
// from it.
#pragma once

#include "mime/dkimheaderfields.h"
#include "mime/headerfield.h"
#include "mime/key.h"
#include "mime/value.h"

#include <cstddef>
#include <map>
#include <string>
#include <vector>

namespace Orvanta::OpenSSL {
class PublicKey;
}

namespace Orvanta::Dns {
class DkimRecord;
class DkimRecords;
} // namespace Orvanta::Dns

namespace Orvanta::Mime {

class Header;
class Line;
class Object;

class DkimSignature : public HeaderField {
public:
    // an empty value, to be filled with the setters
    DkimSignature() = default;
    // Parses a value. Strict checks every known tag by its grammar and
    // requires the tags a signature cannot do without; `partial` is for the
    // ARC headers (no completeness test, i= is not an identity). Tags of
    // names this library does not know are kept and written back. Failures
    // are std::runtime_error.
    DkimSignature(char const* data, size_t size, bool strict, bool partial);

    // the agent or user identifier: i=, else "@" and d=
    std::string const& auid() const { return _auid; }

    std::string const& version() const { return get("v"); }
    std::string const& algorithm() const { return get("a"); }
    std::string const& signature() const { return get("b"); }
    std::string const& hash() const { return get("bh"); }
    std::string const& canonicalization() const { return get("c"); }
    std::string const& length() const { return get("l"); }
    std::string const& querymethods() const { return get("q"); }
    std::string const& domain() const { return get("d"); }
    std::string const& selector() const { return get("s"); }
    std::string const& timestamp() const { return get("t"); }
    std::string const& expiration() const { return get("x"); }
    // any tag but h and z; the shared empty string when absent
    std::string const& get(std::string const& name) const;
    bool has(std::string const& name) const { return _tags.count(name) != 0; }

    // Setters store without checking; a new tag goes to the end of the order.
    void version(char const* value) { set("v", value); }
    void algorithm(std::string value) { set("a", std::move(value)); }
    void hash(std::string value) { set("bh", std::move(value)); }
    void canonicalization(char const* value) { set("c", value); }
    void querymethods(char const* value) { set("q", value); }
    void domain(char const* value) { set("d", value); }
    void selector(std::string value) { set("s", std::move(value)); }
    void timestamp(std::string value) { set("t", std::move(value)); }
    void expiration(std::string value) { set("x", std::move(value)); }
    void set(std::string const& name, std::string value);

    // r=y on or off
    void report(bool on);
    bool report() const { return has("r"); }

    // replaces the signed-field list by the parsed h= text
    void headers(char const* data, size_t size, bool oversign);
    DkimHeaderFields const& headers() const { return _headers; }
    // z= entries: name, ':' and the decoded value
    std::vector<std::string> const& copied() const { return _copied; }
    // every tag name in the order it is written
    std::vector<std::string> const& order() const { return _order; }

    // the tags without which the signature cannot be checked are there
    virtual bool complete() const;
    // the name of the header field that carries this kind of signature
    virtual Key key() const;
    // The line of the header that carries this same signature (same tags and
    // values, order aside), or null.
    virtual Line const* line(Header const& header) const;
    // the value of that line, or the shared empty value
    Value const& original(Header const& header) const;

    // Checks the signature over the message with a given key; `strict` asks
    // for an identity in exactly the signing domain (the key flag s).
    bool valid(Object const& message, OpenSSL::PublicKey const& key, bool strict = false) const;
    // the same with the key of a key record, or of the first fitting one
    bool valid(Object const& message, Dns::DkimRecord const& record) const;
    bool valid(Object const& message, Dns::DkimRecords const& records) const;

    using HeaderField::encode;
    size_t encode(Capabilities const& caps, Filter::Result* out, bool persistent) const override;
    size_t encode(Capabilities const& caps, Filter::LineLength* out, bool persistent) const override;
    size_t encode(Capabilities const& caps, Filter::WordWrap* out, bool persistent) const override;

protected:
    // the same tags with the same values, order and lists aside
    bool sameTags(DkimSignature const& other) const { return _tags == other._tags; }

private:
    void parse(char const* data, size_t size, bool strict, bool partial);
    void finish(bool strict, bool partial);
    void remember(std::string const& name);

    std::vector<std::string> _order;
    std::map<std::string, std::string> _tags;
    DkimHeaderFields _headers;
    std::vector<std::string> _copied;
    std::string _auid;
    // the text it was parsed from: a line holding the same text carries it
    std::string _source;
};

// A tag name: a letter, then letters, digits and '_'; empty (nothing
// consumed) when the text does not start with a letter.
class DkimTagName {
public:
    // strict refuses an empty name: "invalid name: "
    DkimTagName(std::string& name, char const* data, size_t size, bool strict);
    virtual ~DkimTagName() = default;
    size_t consumed() const { return _consumed; }

private:
    size_t _consumed = 0;
};

} // namespace Orvanta::Mime
