// The comments of a stretch of structured header text, kept as they were
// read (brackets included, folds undone), so that a value written again by
// its class keeps them.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

namespace Orvanta::Filter {
class Result;
}

namespace Orvanta::Mime {

class Capabilities;

class Comments {
public:
    // Whether the text holds a comment (outside quoted strings and domain
    // literals), or a quoted string left open that may hide one: a value
    // whose class drops its comments is then not all the text held.
    static bool any(const char* data, size_t size);

    // Adds those of data[from, to). Quoted strings and domain literals are
    // stepped over: a '(' in them opens no comment.
    void collect(const char* data, size_t from, size_t to);

    // Writes each with a blank before it: as it stands, or with 8-bit text
    // for a 7-bit transport as encoded words. Returns the bytes written.
    size_t encode(const Capabilities& caps, Filter::Result* out) const;

private:
    std::vector<std::string> _texts;
};

} // namespace Orvanta::Mime
