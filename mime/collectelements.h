// The walk shared by the address-list parsers: each element of a
// comma-separated list is built leniently and collected, or, when it is bad,
// refused (strict) or dropped up to the next ','.
#pragma once

#include "mime/delimdetector.h"
#include "mime/mess.h"

#include <cstddef>
#include <exception>
#include <memory>
#include <stdexcept>
#include <vector>

namespace Orvanta::Mime {

// Builds each element as T(text, size, false) and appends it to `out`. An
// element must be followed by the end of the text or by a byte that
// `follows` accepts, else it is "characters left behind target". Returns the
// bytes walked.
template <typename T, typename Follows>
size_t collectElements(char const* data, size_t size, bool strict, Follows follows,
                       std::vector<std::shared_ptr<T>>& out) {
    DelimDetector walker(',', [&](char const* element, size_t length) -> size_t {
        try {
            auto item = std::make_shared<T>(element, length, false);
            size_t taken = item->consumed();
            if (taken < length && !follows(element[taken])) throw std::runtime_error("characters left behind target");
            out.push_back(item);
            return taken;
        } catch (std::exception const&) {
            if (strict) throw;
            // lenient: drop the element up to the next ','
            return Mess(element, length, ",").consumed();
        }
    });
    return walker.parse(data, size);
}

} // namespace Orvanta::Mime
