// Shared empty objects that lookups return when they find nothing, so that
// callers never receive a null pointer.
#pragma once

#include <string>

namespace Orvanta::Mime {

class Value;

const std::string& empty_string();
const Value& empty_value();

} // namespace Orvanta::Mime
