#include "mime/grammar/datetime.h"

#include "filter/result.h"

#include <cstdio>
#include <stdexcept>

namespace Orvanta::Mime {

DateTime::DateTime(std::time_t seconds) {
    // the names are fixed English words whatever the locale says
    static const char* const days[] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
    static const char* const months[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                         "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
    std::tm parts{};
    if (gmtime_r(&seconds, &parts) == nullptr) throw std::runtime_error("time out of range");
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
