// The value of a Content-Type field: the media type (main type, slash,
// subtype) followed by its parameters.
#pragma once

#include "mime/grammar/headerfield.h"
#include "mime/grammar/params.h"
#include "mime/grammar/string.h"

#include <cstddef>
#include <string>

namespace Orvanta::Mime {

class ContentType : public HeaderField {
public:
    // The media type: a view into the parsed text. Blanks, folds and
    // comments may stand before it, on either side of the slash and after
    // it; the main type and subtype are compared, and written again,
    // without them.
    class Type {
    public:
        // Takes the type up to a ';'; throws std::runtime_error when there
        // is no valid type.
        Type(const char* data, size_t size);

        bool main(const char* name) const;
        bool sub(const char* name) const;
        // whether the main type and the subtype are tokens: a type with
        // other bytes in them ('message/rfc822=') is read, but names none
        // that is known, and other readers cut such words where they like
        bool tokens() const;
        // the main type, a slash and the subtype
        bool equals(const char* text) const;
        bool equals(const std::string& text) const;

        // the type as it stands, from the main type's first byte to the
        // subtype's last
        const char* begin() const { return _begin; }
        size_t length() const { return _length; }
        // what stood before the type, the type, what stood after it and
        // the ';' that ended it, if one did
        size_t consumed() const { return _consumed; }

        // writes the main type, a slash and the subtype
        size_t encode(Filter::Result* out, bool persistent) const;

        // A text that need not parse, as readers that take a type apart
        // more loosely read it: its first token (blanks and comments before
        // it aside), whether a slash follows that, and whether a token
        // follows the slash, blanks and comments aside. Where no slash
        // follows, they read no type in it; where no token follows it, some
        // read none either.
        struct Loose {
            String first;
            bool slash = false;
            bool subtype = false;
        };
        static Loose loose(const char* data, size_t size);

    private:
        bool equals(const char* text, size_t size) const;
        size_t subLength() const { return static_cast<size_t>(_begin + _length - _sub); }

        const char* _begin = nullptr;
        size_t _mainLength = 0;
        // the subtype's first byte
        const char* _sub = nullptr;
        size_t _length = 0;
        size_t _consumed = 0;
    };

    // With strict set a multipart type must carry a "boundary" parameter.
    ContentType(const char* data, size_t size, bool strict);

    const Type& type() const { return _type; }
    const Params& params() const { return _params; }
    // every parameter was read, and no comment stood in the text: the value
    // is written again without comments, which readers read as part of the
    // type or of a parameter's value
    bool whole() const override { return !_comments && _params.whole(); }
    // a file name suited to the media type, or null
    const char* defaultName() const;

    using HeaderField::encode;
    size_t encode(const Capabilities& caps, Filter::Result* out, bool persistent) const override;
    size_t encode(const Capabilities& caps, Filter::LineLength* out, bool persistent) const override;
    // into the caller's word wrapper: a second one inside it would fold
    // again what the first keeps whole
    size_t encode(const Capabilities& caps, Filter::WordWrap* out, bool persistent) const override;

private:
    Type _type;
    Params _params;
    bool _comments = false;
};

} // namespace Orvanta::Mime
