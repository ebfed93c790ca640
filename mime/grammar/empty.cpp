#include "mime/grammar/empty.h"

#include "mime/grammar/value.h"

namespace Orvanta::Mime {

const std::string& empty_string() {
    static const std::string empty;
    return empty;
}

const Value& empty_value() {
    static const Value empty(empty_string().data(), 0);
    return empty;
}

} // namespace Orvanta::Mime
