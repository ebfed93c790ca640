// One delimiter line of a multipart body as it stood in the message: from the
// "--" through its line end. Empty for entities not parsed from a multipart.
#pragma once

#include <cstddef>

namespace Orvanta::Filter {
class Result;
}

namespace Orvanta::Mime {

class Part;
class Separator;

class Boundary {
public:
    Boundary() = default;
    explicit Boundary(const Part& part);

    const char* data() const { return _data; }
    size_t size() const { return _size; }
    bool empty() const { return _size == 0; }
    // whether the entity was read from a multipart text: the last part of a
    // text that ended without a delimiter has an empty line that was read
    bool read() const { return _data != nullptr; }
    // whether the search found it closing ("--" after the separator); kept
    // from the parse, since a boundary may itself end with "--"
    bool closing() const { return _closing; }

    // the line is exactly the separator (followed by "--" when closing),
    // any blanks of transport padding and its line end
    bool operator==(const Separator& separator) const;

    // writes the stored line as it is, its line end made CR LF
    size_t encode(Filter::Result* out, bool persistent) const;

private:
    const char* _data = nullptr;
    size_t _size = 0;
    bool _closing = false;
};

} // namespace Orvanta::Mime
