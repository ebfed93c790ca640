// The common base of the typed header values (addresses, address lists,
// content values, authentication values).
#pragma once

#include "mime/grammar/encodable.h"

namespace Orvanta::Mime {

class HeaderField : public Encodable {
public:
    // whether the value holds all its text held: one whose parse dropped a
    // bad item (a parameter) cannot stand in for the text when it is written
    virtual bool whole() const { return true; }
};

} // namespace Orvanta::Mime
