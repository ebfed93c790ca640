#include "mime/reverseheaderiterator.h"

#include "mime/filteredstep.h"
#include "mime/header.h"

namespace Orvanta::Mime {

ReverseHeaderIterator::ReverseHeaderIterator(Header const* header, size_t index, String const& filter)
    : _header(header), _index(index), _filter(filter) {}

bool ReverseHeaderIterator::valid() const { return _index < _header->size(); }

Line const& ReverseHeaderIterator::line() const { return (*_header)[_header->size() - 1 - _index]; }

Key const& ReverseHeaderIterator::key() const { return line().key; }

Value const& ReverseHeaderIterator::value() const { return line().value; }

ReverseHeaderIterator& ReverseHeaderIterator::operator++() {
    filteredStep(*this, _index, _filter);
    return *this;
}

ReverseHeaderIterator ReverseHeaderIterator::operator++(int) {
    ReverseHeaderIterator old = *this;
    if (valid()) ++*this;
    return old;
}

bool ReverseHeaderIterator::operator==(ReverseHeaderIterator const& other) const {
    if (_header != other._header) return false;
    return _index == other._index || (!valid() && !other.valid());
}

size_t ReverseHeaderIterator::encode(Capabilities const& caps, Filter::Result* out, bool persistent) const {
    return line().encode(caps, out, persistent);
}

} // namespace Orvanta::Mime
