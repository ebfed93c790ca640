#include "mime/grammar/capabilities.h"

namespace Orvanta::Mime {

const Capabilities& Capabilities::standard() {
    static const Capabilities caps(false, false, Filter::BufferSize(998, 78));
    return caps;
}

const Capabilities& Capabilities::utf8() {
    static const Capabilities caps(true, false, Filter::BufferSize(998, 78));
    return caps;
}

size_t Capabilities::hardLimit() const {
    return _limits.bytes();
}

size_t Capabilities::preferred() const {
    return _limits.characters();
}

} // namespace Orvanta::Mime
