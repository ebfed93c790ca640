// The value of a Content-Type field: the media type (main type, slash,
// subtype) followed by its parameters.
#pragma once

#include "mime/headerfield.h"
#include "mime/params.h"

#include <cstddef>
#include <string>

namespace Orvanta::Mime {

class ContentType : public HeaderField {
public:
    // The media type: a view into the parsed text.
    class Type {
    public:
        // Takes the type up to a ';' (white space and comments may stand
        // before it); throws std::runtime_error when there is no valid type.
        Type(char const* data, size_t size);

        bool main(char const* name) const;
        bool sub(char const* name) const;
        bool equals(char const* text) const;
        bool equals(std::string const& text) const;

        char const* begin() const { return _begin; }
        size_t length() const { return _length; }
        // leading white space, the type and the ';' that ended it, if one did
        size_t consumed() const { return _consumed; }

    private:
        char const* _begin = nullptr;
        char const* _slash = nullptr;
        size_t _length = 0;
        size_t _consumed = 0;
    };

    // With strict set a multipart type must carry a "boundary" parameter.
    ContentType(char const* data, size_t size, bool strict);

    Type const& type() const { return _type; }
    Params const& params() const { return _params; }
    // a file name suited to the media type, or null
    char const* defaultName() const;

    using HeaderField::encode;
    size_t encode(Capabilities const& caps, Filter::Result* out, bool persistent) const override;
    size_t encode(Capabilities const& caps, Filter::LineLength* out, bool persistent) const override;

private:
    Type _type;
    Params _params;
};

} // namespace Orvanta::Mime
