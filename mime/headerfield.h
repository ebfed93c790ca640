// The common base of the typed header values (addresses, address lists,
// content values, authentication values). Adds nothing to Encodable.
#pragma once

#include "mime/encodable.h"

namespace Orvanta::Mime {

class HeaderField : public Encodable {};

} // namespace Orvanta::Mime
