#include "mime/reverseheaderiterator.h"

#include "mime/ascii.h"
#include "mime/header.h"

namespace Orvanta::Mime {

ReverseHeaderIterator::ReverseHeaderIterator(Header const* header, size_t index, String const& filter)
    : _header(header), _index(index), _filter(filter) {}

bool ReverseHeaderIterator::valid() const { return _index < _header->size(); }

Line const& ReverseHeaderIterator::line() const { return (*_header)[_header->size() - 1 - _index]; }

Key const& ReverseHeaderIterator::key() const { return line().key; }

Value const& ReverseHeaderIterator::value() const { return line().value; }

ReverseHeaderIterator& ReverseHeaderIterator::operator++() {
    if (++_index == 0) return *this;
    if (_filter.data() == nullptr || _filter.size() == 0) return *this;
    while (valid()) {
        Key const& name = key();
        if (name.size() == _filter.size() && Ascii::equalNoCase(name.data(), _filter.data(), name.size())) break;
        if (++_index == 0) break;
    }
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
