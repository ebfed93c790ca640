#include "mime/headeriterator.h"

#include "mime/filteredstep.h"
#include "mime/header.h"

namespace Orvanta::Mime {

HeaderIterator::HeaderIterator(Header const* header, size_t index, String const& filter)
    : _header(header), _index(index), _filter(filter) {}

bool HeaderIterator::valid() const { return _index < _header->size(); }

Line const& HeaderIterator::operator*() const { return (*_header)[_index]; }

Line const* HeaderIterator::operator->() const { return &(*_header)[_index]; }

Key const& HeaderIterator::key() const { return (*_header)[_index].key; }

Value const& HeaderIterator::value() const { return (*_header)[_index].value; }

HeaderIterator& HeaderIterator::operator++() {
    filteredStep(*this, _index, _filter);
    return *this;
}

HeaderIterator HeaderIterator::operator++(int) {
    HeaderIterator old = *this;
    if (valid()) ++*this;
    return old;
}

bool HeaderIterator::operator==(HeaderIterator const& other) const {
    if (_header != other._header) return false;
    return _index == other._index || (!valid() && !other.valid());
}

size_t HeaderIterator::encode(Capabilities const& caps, Filter::Result* out, bool persistent) const {
    return (**this).encode(caps, out, persistent);
}

} // namespace Orvanta::Mime
