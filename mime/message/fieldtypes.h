// Chooses the typed class that parses a header value by the field's name: one
// table, which the parse checks, the header editors and the encoder all use.
// The rows of the authentication headers ("dkim-signature", "arc-seal",
// "arc-message-signature", "arc-authentication-results",
// "authentication-results") are supplied by the authentication classes
// (authenticationfieldtypes.cpp), so the message model names none of them;
// add() replaces their parsers at run time, and while a row has no parser its
// values stay raw text.
#pragma once

#include "mime/grammar/headerfield.h"

#include <cstddef>
#include <functional>
#include <memory>
#include <vector>

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

    // the parser of a class read strictly by its (data, size, true) constructor
    template <typename Field>
    static std::unique_ptr<HeaderField> strict(const char* data, size_t size) {
        return std::make_unique<Field>(data, size, true);
    }

    // One authentication row: a header name in lower case and the library's
    // own parser of its values.
    struct Authentication {
        const char* name;
        Parser parser;
    };
    // the authentication rows, in the table's order; defined beside the
    // authentication classes
    static std::vector<Authentication> authentication();
};

} // namespace Orvanta::Mime
