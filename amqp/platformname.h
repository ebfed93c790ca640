// The system this program runs on: the uname fields system, node, release
// and version joined by blanks; empty when uname fails.
#pragma once

#include <string>

namespace AMQP {

class PlatformName {
public:
    PlatformName();

    operator const char*() const { return _name.c_str(); }

private:
    std::string _name;
};

} // namespace AMQP
