// The domain part of this machine's host name: the default search domain.
#pragma once

namespace DNS {

class LocalDomain {
public:
    // std::runtime_error with the system's text when gethostname fails
    LocalDomain();

    // what follows the first "." (a final "." removed), or ""
    operator const char*() const { return _domain; }

private:
    // the longest host name and its terminator
    char _hostname[65];
    const char* _domain;
};

} // namespace DNS
