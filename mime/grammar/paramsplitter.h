// Writes one parameter value after its name: bare, quoted, or percent-encoded
// in the RFC 2231 extended form, starting a new numbered section on a folded
// line whenever the line would pass the limit.
#pragma once

#include "filter/filter.h"
#include "filter/rfc2231.h"
#include "mime/grammar/formatting.h"

#include <string>

namespace Orvanta::Mime {

class ParamKey;

class ParamSplitter : public Filter::Filter {
public:
    enum class Mode { bare, quoted, extended };

    // `folded`: the target is a word wrapper, which would make a run of
    // blanks inside the quoted form one space
    ParamSplitter(Filter::Result* target, const ParamKey& key, const std::string& value, size_t limit,
                  bool folded = false);

    // whether the value needs more than one section
    bool enabled(const std::string& value) const;
    // the header of the next section: fold, name, section number, '=', quote
    size_t nextline(bool persistent);
    using Filter::Filter::process;
    size_t process(const char* data, size_t size, bool persistent) override;
    // the closing quote of the quoted form
    size_t finish();

    Mode mode() const { return _mode; }

private:
    // the columns a byte takes once written
    size_t cost(char byte) const;
    // writes a run of value bytes as they are written in this mode
    size_t write(const char* data, size_t size, bool persistent);

    Filter::Result* _target;
    const ParamKey* _key;
    Formatting _formatting;
    Mode _mode;
    size_t _limit;
    bool _split = false;
    size_t _sections = 0;
    size_t _column = 0;
    // the current section holds a value byte: only then may it end
    bool _filled = false;
    // the label of the extended form: utf-8 only for UTF-8 text
    const char* _charset;
    ::Orvanta::Filter::Rfc2231 _percent;
};

} // namespace Orvanta::Mime
