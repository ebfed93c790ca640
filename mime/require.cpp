#include "mime/require.h"

#include <stdexcept>
#include <string>

namespace Orvanta::Mime {

Require::Require(const char* data, size_t size, char expected) {
    if (size == 0 || data[0] != expected) throw std::runtime_error(std::string("missing ") + expected);
}

} // namespace Orvanta::Mime
