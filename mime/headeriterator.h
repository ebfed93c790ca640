// A position in a header, walking from the first line to the last; with a
// name filter it steps only onto lines of that name. A position, not a
// pointer: it stays usable while lines are edited.
#pragma once

#include "mime/encodable.h"
#include "mime/string.h"

#include <cstddef>

namespace Orvanta::Mime {

class Header;
class Key;
class Line;
class Value;

class HeaderIterator : public Encodable {
public:
    // the filter's bytes are not copied and must outlive the iterator
    HeaderIterator(Header const* header, size_t index, String const& filter = String());

    bool valid() const;
    Line const& operator*() const;
    Line const* operator->() const;
    Key const& key() const;
    Value const& value() const;
    HeaderIterator& operator++();
    HeaderIterator operator++(int);
    // the same header, and the same position or both past the end
    bool operator==(HeaderIterator const& other) const;
    bool operator!=(HeaderIterator const& other) const { return !(*this == other); }

    Header const* header() const { return _header; }
    size_t index() const { return _index; }
    String const& filter() const { return _filter; }

    using Encodable::encode;
    size_t encode(Capabilities const& caps, Filter::Result* out, bool persistent) const override;

private:
    Header const* _header;
    size_t _index;
    String _filter;
};

} // namespace Orvanta::Mime
