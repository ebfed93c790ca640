#include "filter/mimeheaderencoding.h"

#include <cstring>
#include <stdexcept>

namespace Orvanta::Filter {

namespace {

const char* const rawSets[] = {"", "()\"", "()<>[]:;@\\,.\""};
const char* const escapeSets[] = {"_?=", "_?=()\"", "_?=~ @#$%^&()-[]{}\\|;:'\"<>,."};

} // namespace

MimeHeaderEncoding::MimeHeaderEncoding(int value) : _value(value) {
    if (value < text || value > phrase) throw std::invalid_argument("unknown header encoding context");
}

const char* MimeHeaderEncoding::rawExcluded() const {
    return rawSets[_value];
}

bool MimeHeaderEncoding::escaped(char byte) const {
    auto value = static_cast<unsigned char>(byte);
    if (value <= 0x20 || value >= 0x7f) return true;
    return std::strchr(escapeSets[_value], byte) != nullptr;
}

} // namespace Orvanta::Filter
