// A position in a header, walking from the first line to the last
// (HeaderIterator) or from the last to the first (ReverseHeaderIterator, whose
// index 0 names the last line); with a name filter it steps only onto lines
// of that name. A position, not a pointer: it stays usable while lines are
// edited.
#pragma once

#include "mime/encodable.h"
#include "mime/string.h"

#include <cstddef>

namespace Orvanta::Mime {

class Header;
class Key;
class Line;
class Value;

template <bool Backward> class BasicHeaderIterator : public Encodable {
public:
    // the filter's bytes are not copied and must outlive the iterator
    BasicHeaderIterator(Header const* header, size_t index, String const& filter = String())
        : _header(header), _index(index), _filter(filter) {}

    bool valid() const;
    Line const& line() const;
    Line const& operator*() const { return line(); }
    Line const* operator->() const { return &line(); }
    Key const& key() const;
    Value const& value() const;
    // one position on, then on while the line there does not carry the
    // filter's name; a step past the largest index wraps to 0 and stops
    BasicHeaderIterator& operator++();
    BasicHeaderIterator operator++(int);
    // the same header, and the same position or both past the end
    bool operator==(BasicHeaderIterator const& other) const;
    bool operator!=(BasicHeaderIterator const& other) const { return !(*this == other); }

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

using HeaderIterator = BasicHeaderIterator<false>;
using ReverseHeaderIterator = BasicHeaderIterator<true>;

extern template class BasicHeaderIterator<false>;
extern template class BasicHeaderIterator<true>;

} // namespace Orvanta::Mime
