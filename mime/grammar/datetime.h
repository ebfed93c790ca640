// A point in time as the value of a Date field: the RFC 5322 date-time in
// UTC, "Mon, 07 Dec 2026 08:15:33 +0000".
#pragma once

#include "mime/grammar/headerfield.h"

#include <ctime>
#include <string>

namespace Orvanta::Mime {

class DateTime : public HeaderField {
public:
    // Throws std::runtime_error "time out of range" for a time before the
    // year 1900 or after 9999: the field's four-digit year cannot carry it,
    // and readers take an earlier one for another century.
    explicit DateTime(std::time_t seconds);

    const std::string& text() const { return _text; }

    using HeaderField::encode;
    size_t encode(const Capabilities& caps, Filter::Result* out, bool persistent) const override;

private:
    std::string _text;
};

} // namespace Orvanta::Mime
