// The settings of a resolv.conf file: name servers, search list and the
// options rotate, timeout:, attempts: and ndots:.
#pragma once

#include "dns/host/ip.h"

#include <cstdint>
#include <string>
#include <vector>

namespace DNS {

class ResolvConf {
public:
    // A file that cannot be opened: std::runtime_error path + ": failed to
    // open file". A bad line is skipped, or with `strict` ends the reading
    // with std::runtime_error path + ": " + what was wrong.
    ResolvConf(const char* path, bool strict);
    // The same over text already read; `path` only names it in messages.
    ResolvConf(const std::string& text, const char* path, bool strict);

    const std::vector<Ip>& nameservers() const { return _nameservers; }
    const Ip& nameserver(size_t i) const { return _nameservers.at(i); }
    const std::vector<std::string>& searchpaths() const { return _searchpaths; }
    const std::string& searchpath(size_t i) const { return _searchpaths.at(i); }
    // seconds, 1 to 30
    unsigned timeout() const { return _timeout; }
    // 1 to 5
    unsigned attempts() const { return _attempts; }
    bool rotate() const { return _rotate; }
    // 0 to 15
    uint8_t ndots() const { return _ndots; }

private:
    void parse(const std::string& text, const char* path, bool strict);
    void line(const std::string& line);
    void option(const std::string& option);

    std::vector<Ip> _nameservers;
    std::vector<std::string> _searchpaths;
    unsigned _timeout = 5;
    unsigned _attempts = 2;
    bool _rotate = false;
    uint8_t _ndots = 1;
};

} // namespace DNS
