// Replaces every occurrence of a needle by a replacement, leftmost first and
// without overlap, also when an occurrence is split across pieces.
#pragma once

#include "filter/filter.h"

#include <vector>

namespace Orvanta::Filter {

class Replace : public Filter {
public:
    // Both texts must outlive the filter; the needle must not be empty.
    Replace(Result* next, const char* needle, const char* replacement);
    // Writes a partial match still held at the end of the stream.
    ~Replace() override;

    using Filter::process;
    size_t process(const char* data, size_t size, bool persistent) override;

private:
    const char* _needle;
    size_t _needleSize;
    const char* _replacement;
    size_t _replacementSize;
    // Needle bytes matched so far; they are always the needle's first bytes.
    size_t _matched = 0;
    // For each matched length, the longest proper prefix of the needle that
    // is also a suffix of that much of it: where matching resumes after a
    // mismatch, so that no occurrence starting inside a failed partial match
    // is missed.
    std::vector<size_t> _fallback;
};

} // namespace Orvanta::Filter
