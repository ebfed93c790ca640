// The canonical text of a message body that a body hash covers: line ends
// made CR LF and the empty lines at the end dropped; "relaxed" also folds
// runs of blanks to one space and drops blanks at line ends. An empty body
// is one CR LF in simple mode and nothing in relaxed mode.
#pragma once

#include "filter/result.h"

#include <string>

namespace Orvanta::Mime {

class Body;
class Capabilities;

// A sink that writes the canonical form of the bytes it is given into a
// string; the text is complete after finish().
class CanonicalizeBody : public Filter::Result {
public:
    CanonicalizeBody(std::string* target, bool simple) : _target(target), _simple(simple) {}

    using Filter::Result::append;
    size_t append(const char* data, size_t size, bool persistent) override;
    // ends the text (held line ends are dropped, the last line closed)
    void finish();

private:
    void content(const char* data, size_t size);

    std::string* _target;
    bool _simple;
    // line ends seen but not written: they may be the trailing empty lines
    size_t _lines = 0;
    // relaxed: blanks seen inside the current line, not yet written
    bool _space = false;
    // a CR whose LF may come with the next piece
    bool _cr = false;
    bool _written = false;
};

class CanonicalizedBody {
public:
    // the body as it stands in the message
    CanonicalizedBody(const Capabilities& caps, const Body& body, bool simple);

    const std::string& text() const { return _text; }

private:
    std::string _text;
};

} // namespace Orvanta::Mime
