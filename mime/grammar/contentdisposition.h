// The value of a Content-Disposition field: a disposition word (inline,
// attachment, ...) followed by its parameters.
#pragma once

#include "mime/grammar/headerfield.h"
#include "mime/grammar/params.h"

#include <cstddef>

namespace Orvanta::Mime {

class ContentDisposition : public HeaderField {
public:
    // The disposition word: a view into the parsed text.
    class Setting {
    public:
        // Takes the word up to a ';' (blanks and comments may stand on
        // either side of it); throws std::runtime_error when there is no
        // valid word.
        Setting(const char* data, size_t size);

        const char* begin() const { return _begin; }
        size_t length() const { return _length; }
        // leading white space, the word and the ';' that ended it, if one did
        size_t consumed() const { return _consumed; }

    private:
        const char* _begin = nullptr;
        size_t _length = 0;
        size_t _consumed = 0;
    };

    ContentDisposition(const char* data, size_t size);

    const Setting& setting() const { return _setting; }
    const Params& params() const { return _params; }
    // every parameter was read, and no comment stood in the text: the value
    // is written again without comments, which readers read as part of the
    // type or of a parameter's value
    bool whole() const override { return !_comments && _params.whole(); }

    using HeaderField::encode;
    size_t encode(const Capabilities& caps, Filter::Result* out, bool persistent) const override;
    size_t encode(const Capabilities& caps, Filter::LineLength* out, bool persistent) const override;
    // into the caller's word wrapper: a second one inside it would fold
    // again what the first keeps whole
    size_t encode(const Capabilities& caps, Filter::WordWrap* out, bool persistent) const override;

private:
    Setting _setting;
    Params _params;
    bool _comments = false;
};

} // namespace Orvanta::Mime
