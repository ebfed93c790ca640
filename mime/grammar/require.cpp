#include "mime/grammar/require.h"

#include "mime/grammar/scanner.h"

#include <stdexcept>
#include <string>

namespace Orvanta::Mime {

Require::Require(const char* data, size_t size, char expected) {
    if (!Scanner(data, size).at(expected)) throw std::runtime_error(std::string("missing ") + expected);
}

} // namespace Orvanta::Mime
