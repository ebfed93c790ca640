// The display name of a mailbox or the name of a group: a phrase of words,
// quoted strings and encoded words, kept decoded.
#pragma once

#include "mime/grammar/encodable.h"

#include <string>
#include <utility>
#include <vector>

namespace Orvanta::Mime {

class Internal;

class DisplayName : public Encodable {
public:
    DisplayName() = default;
    DisplayName(const char* data, size_t size);
    // a name given by the program: white space runs become one space;
    // throws std::runtime_error "NUL in display name" for a NUL, which no
    // writer carries
    explicit DisplayName(const Internal& plain);

    size_t encode(const Capabilities& caps, Filter::Result* out, bool persistent) const override;
    size_t encode(const Capabilities& caps, Filter::LineLength* out, bool persistent) const override;
    size_t encode(const Capabilities& caps, Filter::WordWrap* out, bool persistent) const override;

    const std::string& text() const { return _text; }
    size_t consumed() const { return _consumed; }
    // the longest stretch without a blank: decides whether folding can help
    size_t longest() const { return _longest; }
    bool empty() const { return _text.empty(); }

private:
    // whether the encoders must write encoded words; `lines`: for a writer
    // that folds, where a word too long for a line must be encoded too
    bool folded(const Capabilities& caps, bool lines) const;
    // the text to write
    const std::string& writing() const { return _written.empty() ? _text : _written; }
    // encoded words through a header encoder over `out`
    size_t encoded(Filter::Result* out, size_t position, size_t limit) const;
    // the text as it stands, or quoted when it is no phrase
    std::string bare() const;

    std::string _text;
    // The text with the encoded words whose bytes do not convert as they
    // stood, where `_text` has U+FFFD; empty when it is `_text`.
    std::string _written;
    // where the encoded words kept as written stand in the text to write
    // (position, size), in order: they go back as they stood
    std::vector<std::pair<size_t, size_t>> _kept;
    size_t _consumed = 0;
    size_t _longest = 0;
};

} // namespace Orvanta::Mime
