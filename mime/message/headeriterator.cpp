#include "mime/message/headeriterator.h"

#include "mime/grammar/ascii.h"
#include "mime/message/header.h"

namespace Orvanta::Mime {

template <bool Backward>
bool BasicHeaderIterator<Backward>::valid() const {
    return _index < _header->size();
}

template <bool Backward>
const Line& BasicHeaderIterator<Backward>::line() const {
    return (*_header)[Backward ? _header->size() - 1 - _index : _index];
}

template <bool Backward>
const Key& BasicHeaderIterator<Backward>::key() const {
    return line().key;
}

template <bool Backward>
const Value& BasicHeaderIterator<Backward>::value() const {
    return line().value;
}

template <bool Backward>
BasicHeaderIterator<Backward>& BasicHeaderIterator<Backward>::operator++() {
    if (++_index == 0) return *this;
    if (_filter.data() == nullptr || _filter.size() == 0) return *this;
    while (valid()) {
        const Key& name = key();
        if (Ascii::sameNoCase(name.data(), name.size(), _filter.data(), _filter.size())) break;
        if (++_index == 0) break;
    }
    return *this;
}

template <bool Backward>
BasicHeaderIterator<Backward> BasicHeaderIterator<Backward>::operator++(int) {
    BasicHeaderIterator old = *this;
    if (valid()) ++*this;
    return old;
}

template <bool Backward>
bool BasicHeaderIterator<Backward>::operator==(const BasicHeaderIterator& other) const {
    if (_header != other._header) return false;
    return _index == other._index || (!valid() && !other.valid());
}

template <bool Backward>
size_t BasicHeaderIterator<Backward>::encode(const Capabilities& caps, Filter::Result* out,
                                             bool persistent) const {
    return line().encode(caps, out, persistent);
}

template class BasicHeaderIterator<false>;
template class BasicHeaderIterator<true>;

} // namespace Orvanta::Mime
