// Formats one point in time in a few fixed textual forms, in UTC or local
// time, keeping the last text so that asking for the same form again is free.
#pragma once

#include <cstdint>

namespace Orvanta::Toolbox {

class DateTime {
public:
    // The forms, each in a UTC and a local variant; 0 means nothing formatted.
    enum state : int32_t {
        none = 0,
        sqlUtc = 1,
        completeUtc = 2,
        iso8601Utc = 3,
        rfc822Utc = 4,
        ansiUtc = 5,
        sqlLocal = 6,
        completeLocal = 7,
        iso8601Local = 8,
        rfc822Local = 9,
        ansiLocal = 10,
    };

    // Seconds since 1970-01-01 00:00:00 UTC.
    explicit DateTime(double seconds) : _time(seconds) {}

    // Each returns a text inside this object, valid until another form is
    // asked for, or null when the text does not fit.
    const char* sql(bool local = false) const;
    // sql with a fraction of 1 to 6 digits; 0 digits gives the sql text.
    const char* complete(int digits, bool local = false) const;
    const char* iso8601(bool local = false) const;
    const char* rfc822(bool local = false) const;
    const char* ansi(bool local = false) const;

    const char* format(const char* fmt, state form, bool local, int digits) const;

private:
    static constexpr int capacity = 30;

    mutable char _buffer[capacity] = {};
    mutable state _form = none;
    mutable int32_t _digits = -1;
    double _time;
};

} // namespace Orvanta::Toolbox
