#include "mime/separator.h"

#include "mime/contenttype.h"
#include "mime/header.h"

namespace Orvanta::Mime {

Separator::Separator(const Header& owner) {
    const Value& value = owner.get("content-type");
    ContentType type(value.data(), value.size(), true);
    _text = "--" + type.params().get("boundary");
}

} // namespace Orvanta::Mime
