// The step both header iterators take: one position on, then on while the
// line there does not carry the filter's name. Positions are indexes, so a
// step past the largest one wraps to 0 and stops there.
#pragma once

#include "mime/ascii.h"
#include "mime/string.h"

#include <cstddef>

namespace Orvanta::Mime {

// `index` is the iterator's own position, read back through `it`
template <typename Iterator>
void filteredStep(Iterator const& it, size_t& index, String const& filter) {
    if (++index == 0) return;
    if (filter.data() == nullptr || filter.size() == 0) return;
    while (it.valid()) {
        auto const& name = it.key();
        if (name.size() == filter.size() && Ascii::equalNoCase(name.data(), filter.data(), name.size())) return;
        if (++index == 0) return;
    }
}

} // namespace Orvanta::Mime
