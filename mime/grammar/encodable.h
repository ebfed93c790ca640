// The base of everything that can be written out under a transport's
// capabilities: into a plain sink, against a line position, or through a
// word wrapper; also rendered as a string.
#pragma once

#include <cstddef>
#include <string>

namespace Orvanta::Filter {
class Result;
class LineLength;
class WordWrap;
} // namespace Orvanta::Filter

namespace Orvanta::Mime {

class Capabilities;

class Encodable {
public:
    // returns the bytes the chain reported; `persistent` goes to the sink's
    // append for bytes that outlive the call
    virtual size_t encode(const Capabilities& caps, Filter::Result* out, bool persistent) const = 0;
    // by default the same as the plain form; header values fold against the line
    virtual size_t encode(const Capabilities& caps, Filter::LineLength* out, bool persistent) const;
    virtual size_t encode(const Capabilities& caps, Filter::WordWrap* out, bool persistent) const;
    virtual bool encodable(const Capabilities& caps) const;
    // rendered under Capabilities::utf8() when true, else Capabilities::standard()
    virtual std::string str(bool utf8 = true) const;
    virtual operator std::string() const;
    virtual ~Encodable() = default;
};

} // namespace Orvanta::Mime
