#include "mime/empty.h"

#include "mime/value.h"

namespace Orvanta::Mime {

std::string const& empty_string() {
    static const std::string empty;
    return empty;
}

Value const& empty_value() {
    static const Value empty(empty_string().data(), 0);
    return empty;
}

} // namespace Orvanta::Mime
