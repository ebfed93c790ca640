#include "mime/message/separator.h"

#include "mime/grammar/contenttype.h"
#include "mime/message/header.h"

namespace Orvanta::Mime {

Separator::Separator(const Header& owner) {
    const Value& value = owner.get("content-type");
    ContentType type(value.data(), value.size(), true);
    _text = "--" + type.params().get("boundary");
}

} // namespace Orvanta::Mime
