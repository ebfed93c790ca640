// A point in time as the value of a Date field: the RFC 5322 date-time in
// UTC, "Mon, 07 Dec 2026 08:15:33 +0000".
#pragma once

#include "mime/grammar/headerfield.h"

#include <ctime>
#include <string>

namespace Orvanta::Mime {

class DateTime : public HeaderField {
public:
    explicit DateTime(std::time_t seconds);

    const std::string& text() const { return _text; }

    using HeaderField::encode;
    size_t encode(const Capabilities& caps, Filter::Result* out, bool persistent) const override;

private:
    std::string _text;
};

} // namespace Orvanta::Mime
