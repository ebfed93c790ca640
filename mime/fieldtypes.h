// Chooses the typed class that parses a header value by the field's name: one
// table, which the parse checks, the header editors and the encoder all use.
// The rows of the authentication headers ("dkim-signature", "arc-seal",
// "arc-message-signature", "arc-authentication-results",
// "authentication-results") are filled by those classes, in the table or at
// run time through add(); while a row has no parser its values stay raw text.
#pragma once

#include "mime/headerfield.h"

#include <cstddef>
#include <functional>
#include <memory>

namespace Orvanta::Mime {

class Key;

class FieldTypes {
public:
    // Parses a whole value strictly; throws when the value does not parse.
    using Parser = std::function<std::unique_ptr<HeaderField>(const char* data, size_t size)>;

    // The typed value of a field, or null when its name has no typed class
    // (or is an authentication header without a registered parser). Throws
    // what the typed parser throws.
    static std::unique_ptr<HeaderField> parse(const Key& name, const char* data, size_t size);

    // true for every name that has (or will have) a typed class
    static bool known(const Key& name);

    // Registers the parser of one of the authentication header names (an
    // empty parser puts back the library's own, or none); returns false for
    // any other name. Meant for start-up: the table has no lock.
    static bool add(const char* name, Parser parser);
};

} // namespace Orvanta::Mime
