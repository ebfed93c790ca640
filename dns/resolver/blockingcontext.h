// The DNS settings of a caller that waits for its answers (the key lookups
// of DKIM and ARC): each query runs the resolver on a private event loop on
// the calling thread until the answer or the time-out.
#pragma once

#include "dns/host/ip.h"

#include <arpa/nameser.h>
#include <memory>
#include <vector>

namespace DNS {
class Config;
class Handler;
} // namespace DNS

namespace Orvanta::Dns {

class Context {
public:
    // The system's configuration: /etc/resolv.conf and /etc/hosts, read by
    // every query (a missing file fails the query with its message).
    Context();
    // A configuration of the caller's (name servers, time-out, attempts).
    explicit Context(const DNS::Config& config);

    // An extra name server, asked after those of the configuration.
    void add(const DNS::Ip& nameserver) { _extra.push_back(nameserver); }
    const std::vector<DNS::Ip>& extra() const { return _extra; }

    // True when a response arrived (whatever its code), false after a
    // time-out or when the lookup could not start (a name too long for a
    // query); the handler has heard the outcome before it returns, except
    // in that last case. An exception the handler throws comes out here.
    bool query(const char* name, ns_type type, DNS::Handler* handler) const;

private:
    std::shared_ptr<const DNS::Config> _config;
    std::vector<DNS::Ip> _extra;
};

} // namespace Orvanta::Dns
