#include "mime/grammar/datetime.h"

#include "filter/result.h"

#include <cstdio>
#include <stdexcept>

namespace Orvanta::Mime {

namespace {

// 1900-01-01 00:00:00 and 9999-12-31 23:59:59 UTC
constexpr std::time_t first = -2208988800;
constexpr std::time_t last = 253402300799;

} // namespace

DateTime::DateTime(std::time_t seconds) {
    // the names are fixed English words whatever the locale says
    static const char* const days[] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
    static const char* const months[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                         "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
    // the range is checked first: far out, the broken-down year plus 1900
    // overflows an int
    std::tm parts{};
    if (seconds < first || seconds > last || gmtime_r(&seconds, &parts) == nullptr)
        throw std::runtime_error("time out of range");
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%s, %02d %s %04d %02d:%02d:%02d +0000", days[parts.tm_wday],
                  parts.tm_mday, months[parts.tm_mon], parts.tm_year + 1900, parts.tm_hour, parts.tm_min,
                  parts.tm_sec);
    _text = buffer;
}

size_t DateTime::encode(const Capabilities&, Filter::Result* out, bool persistent) const {
    return out->append(_text.data(), _text.size(), persistent);
}

} // namespace Orvanta::Mime
