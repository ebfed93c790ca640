// A position in a header walking from the last line to the first: index 0
// names the last line. With a name filter it steps only onto lines of that
// name.
#pragma once

#include "mime/encodable.h"
#include "mime/string.h"

#include <cstddef>

namespace Orvanta::Mime {

class Header;
class Key;
class Line;
class Value;

class ReverseHeaderIterator : public Encodable {
public:
    // the filter's bytes are not copied and must outlive the iterator
    ReverseHeaderIterator(Header const* header, size_t index, String const& filter = String());

    bool valid() const;
    Line const& line() const;
    Line const& operator*() const { return line(); }
    Line const* operator->() const { return &line(); }
    Key const& key() const;
    Value const& value() const;
    ReverseHeaderIterator& operator++();
    ReverseHeaderIterator operator++(int);
    bool operator==(ReverseHeaderIterator const& other) const;
    bool operator!=(ReverseHeaderIterator const& other) const { return !(*this == other); }

    Header const* header() const { return _header; }
    size_t index() const { return _index; }

    using Encodable::encode;
    size_t encode(Capabilities const& caps, Filter::Result* out, bool persistent) const override;

private:
    Header const* _header;
    size_t _index;
    String _filter;
};

} // namespace Orvanta::Mime
