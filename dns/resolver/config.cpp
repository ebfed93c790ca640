#include "dns/resolver/config.h"

#include "dns/resolver/resolvconf.h"

#include <algorithm>
#include <stdexcept>

namespace DNS {

namespace {

double seconds(double value) {
    // NaN fails both comparisons and ends at the lower bound
    return value >= 0.001 ? std::min(value, 86400.) : 0.001;
}

} // namespace

Config::Config(const ResolvConf& settings)
    : _nameservers(settings.nameservers()), _searchpaths(settings.searchpaths()),
      _timeout(settings.timeout()), _attempts(settings.attempts()), _interval(settings.timeout()),
      _rotate(settings.rotate()), _ndots(settings.ndots()) {
    if (!_hosts.load("/etc/hosts")) throw std::runtime_error("failed to load /etc/hosts");
}

Config& Config::timeout(double value) {
    _timeout = seconds(value);
    return *this;
}

Config& Config::attempts(unsigned count) {
    _attempts = std::clamp(count, 1u, 5u);
    return *this;
}

Config& Config::interval(double value) {
    _interval = seconds(value);
    return *this;
}

} // namespace DNS
