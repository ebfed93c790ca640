// A position in a header, walking from the first line to the last
// (HeaderIterator) or from the last to the first (ReverseHeaderIterator, whose
// index 0 names the last line); with a name filter it steps only onto lines
// of that name. A position, not a pointer: it stays usable while lines are
// edited.
#pragma once

#include "mime/grammar/encodable.h"
#include "mime/grammar/string.h"

#include <cstddef>

namespace Orvanta::Mime {

class Header;
class Key;
class Line;
class Value;

template <bool Backward>
class BasicHeaderIterator : public Encodable {
public:
    // the filter's bytes are not copied and must outlive the iterator
    BasicHeaderIterator(const Header* header, size_t index, const String& filter = String())
        : _header(header), _index(index), _filter(filter) {}

    bool valid() const;
    const Line& line() const;
    const Line& operator*() const { return line(); }
    const Line* operator->() const { return &line(); }
    const Key& key() const;
    const Value& value() const;
    // one position on, then on while the line there does not carry the
    // filter's name; a step past the largest index wraps to 0 and stops
    BasicHeaderIterator& operator++();
    BasicHeaderIterator operator++(int);
    // the same header, and the same position or both past the end
    bool operator==(const BasicHeaderIterator& other) const;
    bool operator!=(const BasicHeaderIterator& other) const { return !(*this == other); }

    const Header* header() const { return _header; }
    size_t index() const { return _index; }
    const String& filter() const { return _filter; }

    using Encodable::encode;
    size_t encode(const Capabilities& caps, Filter::Result* out, bool persistent) const override;

private:
    const Header* _header;
    size_t _index;
    String _filter;
};

using HeaderIterator = BasicHeaderIterator<false>;
using ReverseHeaderIterator = BasicHeaderIterator<true>;

extern template class BasicHeaderIterator<false>;
extern template class BasicHeaderIterator<true>;

} // namespace Orvanta::Mime
