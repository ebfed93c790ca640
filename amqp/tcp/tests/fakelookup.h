// A stand-in for the system's name lookup: the host "several" resolves to a
// fixed list of IPv4 and IPv6 loopback addresses, "slow" to 127.0.0.1 after a
// pause, anything else fails. Installed for the lifetime of the object.
#pragma once

#include <string>
#include <vector>

namespace AMQP::Test {

class FakeLookup {
public:
    // addresses "several" resolves to, in the order the lookup returns them
    explicit FakeLookup(std::vector<std::string> several = {});
    ~FakeLookup();

    // lookups made so far
    static int calls();
};

} // namespace AMQP::Test
