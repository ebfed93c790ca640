// The value of a DKIM-Signature header field: a tag=value list kept in the
// order it was read, each tag checked by its own grammar when parsing
// strictly, with the signed-field list (h=) and the copied-field list (z=)
// held as lists. The ARC signature headers share this grammar and derive
// from it.
#pragma once

#include "mime/authentication/dkimheaderfields.h"
#include "mime/grammar/headerfield.h"
#include "mime/grammar/value.h"
#include "mime/message/key.h"

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
    DkimSignature(const char* data, size_t size, bool strict, bool partial);

    // the agent or user identifier: i=, else "@" and d=
    const std::string& auid() const { return _auid; }

    const std::string& version() const { return get("v"); }
    const std::string& algorithm() const { return get("a"); }
    const std::string& signature() const { return get("b"); }
    const std::string& hash() const { return get("bh"); }
    const std::string& canonicalization() const { return get("c"); }
    const std::string& length() const { return get("l"); }
    const std::string& querymethods() const { return get("q"); }
    const std::string& domain() const { return get("d"); }
    const std::string& selector() const { return get("s"); }
    const std::string& timestamp() const { return get("t"); }
    const std::string& expiration() const { return get("x"); }
    // any tag but h and z; the shared empty string when absent
    const std::string& get(const std::string& name) const;
    bool has(const std::string& name) const { return _tags.count(name) != 0; }

    // Setters store without checking; a new tag goes to the end of the order.
    void version(const char* value) { set("v", value); }
    void algorithm(std::string value) { set("a", std::move(value)); }
    void hash(std::string value) { set("bh", std::move(value)); }
    void canonicalization(const char* value) { set("c", value); }
    void querymethods(const char* value) { set("q", value); }
    void domain(const char* value) { set("d", value); }
    void selector(std::string value) { set("s", std::move(value)); }
    void timestamp(std::string value) { set("t", std::move(value)); }
    void expiration(std::string value) { set("x", std::move(value)); }
    void set(const std::string& name, std::string value);

    // r=y on or off
    void report(bool on);
    bool report() const { return has("r"); }

    // replaces the signed-field list by the parsed h= text
    void headers(const char* data, size_t size, bool oversign);
    const DkimHeaderFields& headers() const { return _headers; }
    // z= entries: name, ':' and the decoded value
    const std::vector<std::string>& copied() const { return _copied; }
    // every tag name in the order it is written
    const std::vector<std::string>& order() const { return _order; }

    // the tags without which the signature cannot be checked are there
    virtual bool complete() const;
    // the name of the header field that carries this kind of signature
    virtual Key key() const;
    // The line of the header that carries this same signature (same tags and
    // values, order aside), or null.
    virtual const Line* line(const Header& header) const;
    // the index of the header line this was read from, which line() tries
    // first: checking each of many signatures then finds its own directly
    void from(size_t index);
    // the value of that line, or the shared empty value
    const Value& original(const Header& header) const;

    // Checks the signature over the message with a given key; `strict` asks
    // for an identity in exactly the signing domain (the key flag s).
    bool valid(const Object& message, const OpenSSL::PublicKey& key, bool strict = false) const;
    // the same with the key of a key record, or of the first fitting one
    bool valid(const Object& message, const Dns::DkimRecord& record) const;
    bool valid(const Object& message, const Dns::DkimRecords& records) const;

    using HeaderField::encode;
    size_t encode(const Capabilities& caps, Filter::Result* out, bool persistent) const override;
    size_t encode(const Capabilities& caps, Filter::LineLength* out, bool persistent) const override;
    size_t encode(const Capabilities& caps, Filter::WordWrap* out, bool persistent) const override;

protected:
    // the same tags with the same values, order and lists aside
    bool sameTags(const DkimSignature& other) const { return _tags == other._tags; }

private:
    void parse(const char* data, size_t size, bool strict, bool partial);
    void finish(bool strict, bool partial);
    void remember(const std::string& name);

    std::vector<std::string> _order;
    std::map<std::string, std::string> _tags;
    DkimHeaderFields _headers;
    std::vector<std::string> _copied;
    std::string _auid;
    // the text it was parsed from: a line holding the same text carries it
    std::string _source;
    // where that text was: a signature built from a field's value finds the
    // field by this address, without a scan (never read through)
    const char* _origin = nullptr;
    size_t _position = static_cast<size_t>(-1);
};

// A tag name: a letter, then letters, digits and '_'; empty (nothing
// consumed) when the text does not start with a letter.
class DkimTagName {
public:
    // strict refuses an empty name: "invalid name: "
    DkimTagName(std::string& name, const char* data, size_t size, bool strict);
    size_t consumed() const { return _consumed; }

private:
    size_t _consumed = 0;
};

} // namespace Orvanta::Mime
