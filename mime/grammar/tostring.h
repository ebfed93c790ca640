// Holds a string and a sink that appends to it: where an encoding is
// collected when a value is rendered as text.
#pragma once

#include "filter/string.h"

#include <string>

namespace Orvanta::Mime {

class ToString {
public:
    ToString() : _sink(&_text) {}
    ToString(const ToString&) = delete;
    ToString& operator=(const ToString&) = delete;

    Filter::Result* sink() { return &_sink; }
    const std::string& text() const { return _text; }

private:
    std::string _text;
    Filter::String _sink;
};

} // namespace Orvanta::Mime
