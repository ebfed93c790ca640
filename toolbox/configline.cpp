#include "toolbox/configline.h"

namespace Orvanta::Toolbox {

namespace {

// White space as the C locale's isspace sees it. Written out so that the
// process's locale cannot change which lines are accepted.
bool space(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

bool separator(char c) {
    return c == ':' || c == '=';
}

} // namespace

// The grammar is "\s*([^ :=]*)\s*[:=]\s*(.*)" over the whole line, matched
// here in one linear pass: a backtracking regular expression engine recurses
// once per character and exhausts the stack on long lines.
//
// Nothing before the separator can be ":" or "=", so the separator is the
// first of them. Before it: leading white space, the key up to the first
// blank, then white space only (the key itself may hold white space other
// than a blank, such as a vertical tab). After it: leading white space is
// dropped and the value is the rest, which may hold no line terminator.
ConfigLine::ConfigLine(std::string_view line) {
    size_t sep = 0;
    while (sep < line.size() && !separator(line[sep]))
        ++sep;
    if (sep == line.size()) return;

    size_t begin = 0;
    while (begin < sep && space(line[begin]))
        ++begin;
    size_t end = begin;
    while (end < sep && line[end] != ' ')
        ++end;
    for (size_t i = end; i < sep; ++i)
        if (!space(line[i])) return;

    size_t value = sep + 1;
    while (value < line.size() && space(line[value]))
        ++value;
    for (size_t i = value; i < line.size(); ++i)
        if (line[i] == '\n' || line[i] == '\r') return;

    _key.assign(line.substr(begin, end - begin));
    _value.assign(line.substr(value));
    _valid = true;
}

} // namespace Orvanta::Toolbox
