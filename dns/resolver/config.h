// The settings a resolver context and all its lookups share: name servers,
// search list, hosts file and timing.
#pragma once

#include "dns/host/ip.h"
#include "dns/resolver/hosts.h"

#include <cstdint>
#include <string>
#include <vector>

namespace DNS {

class ResolvConf;

class Config {
public:
    // No name servers, no search list, an empty hosts file; 60 seconds of
    // time-out, 5 attempts 2 seconds apart.
    Config() = default;
    // The file's settings with /etc/hosts; std::runtime_error "failed to
    // load /etc/hosts" when that cannot be read.
    explicit Config(const ResolvConf& settings);

    size_t nameservers() const { return _nameservers.size(); }
    const Ip& nameserver(size_t i) const { return _nameservers.at(i); }
    Config& nameserver(const Ip& address) {
        _nameservers.push_back(address);
        return *this;
    }
    size_t searchpaths() const { return _searchpaths.size(); }
    const std::string& searchpath(size_t i) const { return _searchpaths.at(i); }
    Config& searchpath(const std::string& domain) {
        _searchpaths.push_back(domain);
        return *this;
    }
    const Hosts& hosts() const { return _hosts; }
    Hosts& hosts() { return _hosts; }
    // seconds to wait after the last attempt
    double timeout() const { return _timeout; }
    unsigned attempts() const { return _attempts; }
    // seconds between attempts
    double interval() const { return _interval; }
    bool rotate() const { return _rotate; }
    uint8_t ndots() const { return _ndots; }

    // Setters for a caller's own configuration; times are kept between a
    // millisecond and a day, attempts between 1 and 5.
    Config& timeout(double seconds);
    Config& attempts(unsigned count);
    Config& interval(double seconds);
    Config& rotate(bool on) {
        _rotate = on;
        return *this;
    }
    Config& ndots(uint8_t count) {
        _ndots = count;
        return *this;
    }

    // The hosts file knows the name, with an address of any version.
    bool exists(const char* name) const { return _hosts.lookup(name, 0) != nullptr; }

private:
    std::vector<Ip> _nameservers;
    std::vector<std::string> _searchpaths;
    Hosts _hosts;
    double _timeout = 60;
    unsigned _attempts = 5;
    double _interval = 2;
    bool _rotate = false;
    uint8_t _ndots = 1;
};

} // namespace DNS
