// The header-field lists of a DKIM tag list: h=, the names of the signed
// fields in signing order, and z=, copies of fields as they were signed.
#pragma once

#include "mime/grammar/encodable.h"

#include <cstddef>
#include <string>
#include <vector>

namespace Orvanta::Mime {

class DkimHeaderFields : public Encodable {
public:
    DkimHeaderFields() = default;
    // Parses an h= list at the start of the text; a bad first name throws,
    // anything unreadable after it ends the list.
    DkimHeaderFields(const char* data, size_t size);

    size_t consumed() const { return _consumed; }
    const std::vector<std::string>& names() const { return _names; }
    bool empty() const { return _names.empty(); }
    void add(std::string name) { _names.push_back(std::move(name)); }

    // One more copy of every name, after its last place in the list (names
    // compared without regard to case): a field of that name added later
    // then breaks the signature.
    void oversign();

    using Encodable::encode;
    // the names joined by ':', with blanks where the list may be folded
    size_t encode(const Capabilities& caps, Filter::Result* out, bool persistent) const override;

private:
    size_t _consumed = 0;
    std::vector<std::string> _names;
};

// One field name: the bytes up to ':', ';' or anything not visible ASCII.
class DkimFieldname {
public:
    // throws "field name requires at least one character"
    DkimFieldname(std::string& name, const char* data, size_t size);
    size_t consumed() const { return _consumed; }

private:
    size_t _consumed = 0;
};

// A z= list: entries separated by '|', appended to the caller's list.
class DkimCopiedHeaderFields {
public:
    DkimCopiedHeaderFields(std::vector<std::string>& list, const char* data, size_t size);
    size_t consumed() const { return _consumed; }

private:
    size_t _consumed = 0;
};

// One z= entry decoded: the name, ':' and the value with quoted characters
// decoded and literal blanks dropped.
class DkimCopiedHeaderField {
public:
    DkimCopiedHeaderField(std::string& entry, const char* data, size_t size);
    size_t consumed() const { return _consumed; }

private:
    size_t _consumed = 0;
};

} // namespace Orvanta::Mime
