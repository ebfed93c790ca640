#include "toolbox/datetime.h"

#include <cmath>
#include <cstdio>
#include <ctime>

namespace Orvanta::Toolbox {

namespace {

constexpr const char* sqlFormat = "%Y-%m-%d %H:%M:%S";

} // namespace

const char* DateTime::sql(bool local) const {
    return format(sqlFormat, local ? sqlLocal : sqlUtc, local, 0);
}

const char* DateTime::complete(int digits, bool local) const {
    return format(sqlFormat, local ? completeLocal : completeUtc, local, digits);
}

const char* DateTime::iso8601(bool local) const {
    return format("%FT%T%z", local ? iso8601Local : iso8601Utc, local, 0);
}

const char* DateTime::rfc822(bool local) const {
    return format("%a, %d %b %y %H:%M:%S %z", local ? rfc822Local : rfc822Utc, local, 0);
}

const char* DateTime::ansi(bool local) const {
    return format("%c", local ? ansiLocal : ansiUtc, local, 0);
}

const char* DateTime::format(const char* fmt, state form, bool local, int digits) const {
    if (_form == form && _digits == digits) return _buffer;
    _form = none;
    _digits = -1;

    // The whole seconds are taken downwards, so that a time before 1970 keeps
    // a fraction between 0 and 1 like any other.
    double whole = std::floor(_time);
    // beyond what time_t holds (or not a number) nothing can be shown
    if (!(whole > -9.2e18 && whole < 9.2e18)) return nullptr;
    bool fraction = (form == completeUtc || form == completeLocal) && digits > 0;
    unsigned long scaled = 0;
    if (fraction) {
        if (digits >= 7) return nullptr;
        double scale = std::pow(10.0, digits);
        scaled = static_cast<unsigned long>(std::llround((_time - whole) * scale));
        // just below a whole second the fraction rounds up to the next one
        if (scaled >= static_cast<unsigned long>(scale)) {
            scaled = 0;
            whole += 1;
        }
    }

    time_t seconds = static_cast<time_t>(whole);
    struct tm broken {};
    if ((local ? ::localtime_r(&seconds, &broken) : ::gmtime_r(&seconds, &broken)) == nullptr) return nullptr;
    size_t n = std::strftime(_buffer, capacity, fmt, &broken);
    if (n == 0) return nullptr;
    if (fraction) {
        if (n + digits + 2 > capacity) return nullptr;
        std::snprintf(_buffer + n, capacity - n, ".%0*lu", digits, scaled);
    }
    _form = form;
    _digits = digits;
    return _buffer;
}

} // namespace Orvanta::Toolbox
