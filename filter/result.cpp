#include "filter/result.h"

#include <istream>

namespace Orvanta::Filter {

size_t Result::append(const std::string& text) {
    return append(text.data(), text.size(), false);
}

size_t Result::append(std::istream& stream) {
    if (!stream.good()) return 0;
    size_t total = 0;
    char buffer[4096];
    do {
        stream.read(buffer, sizeof buffer);
        total += append(buffer, static_cast<size_t>(stream.gcount()), false);
    } while (stream.good());
    return total;
}

size_t Result::append(char byte) {
    char copy = byte;
    return append(&copy, 1, false);
}

size_t Result::flush() {
    return 0;
}

} // namespace Orvanta::Filter
