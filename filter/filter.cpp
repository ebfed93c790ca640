#include "filter/filter.h"

#include <cstring>

namespace Orvanta::Filter {

size_t Filter::process(const char* text, bool persistent) {
    return process(text, std::strlen(text), persistent);
}

size_t Filter::process(const std::string& text) {
    return process(text.data(), text.size(), false);
}

size_t Filter::process(std::istream& stream) {
    return Result::append(stream);
}

} // namespace Orvanta::Filter
