#include "filter/filter.h"

#include <cstring>
#include <istream>

namespace Orvanta::Filter {

size_t Filter::process(const char* text, bool persistent)
{
    return process(text, std::strlen(text), persistent);
}

size_t Filter::process(const std::string& text) { return process(text.data(), text.size(), false); }

size_t Filter::process(std::istream& stream)
{
    if (!stream.good()) return 0;
    size_t total = 0;
    char buffer[4096];
    do {
        stream.read(buffer, sizeof buffer);
        total += process(buffer, static_cast<size_t>(stream.gcount()), false);
    } while (stream.good());
    return total;
}

} // namespace Orvanta::Filter
