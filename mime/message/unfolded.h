// Whether a rendered header value must pass by the word wrapper. The wrapper
// makes every run of blanks one space and a tab a space, which inside a
// quoted string ("john  doe"@example.org) makes another value.
#pragma once

#include <cstddef>
#include <string>

namespace Orvanta::Filter {
class WordWrap;
}

namespace Orvanta::Mime {

// true when `rendered` holds a run of blanks or a tab, holds no CR, LF or NUL
// (a value with a line end is always folded, so that no part of it can stand
// as a line of its own), and fits on the line after the `used` bytes within
// `limit`, its CR LF included
bool unfolded(const std::string& rendered, size_t used, size_t limit);

// Appends a value written as it stands to `wrap` with each quoted string that
// has blanks kept whole, which folded or with its blanks merged would make
// another value ("john  doe"@example.org), unless it is too long for a line
// of `wrap`'s hard limit; a '"' in a comment opens none, and after a comment
// or quoted string left open the rest goes as it is. Returns what `wrap`
// counts.
size_t appendKeepingQuotes(Filter::WordWrap* wrap, const char* data, size_t size, bool persistent);

} // namespace Orvanta::Mime
