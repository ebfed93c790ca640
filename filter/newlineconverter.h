// Rewrites line ends (CR LF, lone CR, lone LF) to one newline text; the mode
// says which kind is left alone.
#pragma once

#include "filter/filter.h"

namespace Orvanta::Filter {

class NewlineConverter : public Filter {
public:
    // mode 0 keeps CR LF, mode 1 keeps lone LF, any other mode rewrites all.
    // The newline text must outlive the filter.
    NewlineConverter(Result* next, const char* newline, int mode);

    using Filter::process;
    size_t process(const char* data, size_t size, bool persistent) override;
    size_t flush() override;

private:
    const char* _newline;
    size_t _newlineSize;
    int _mode;
    bool _pendingCr = false;
};

} // namespace Orvanta::Filter
