// A parsed broker address: "amqp://" or "amqps://", then
// [user[:password]@]host[:port][/vhost][?key=value&...].
#pragma once

#include <cstddef>
#include <cstdint>
#include <map>
#include <string>

#include "amqp/login.h"

namespace AMQP {

class Address {
public:
    // option keys that differ only in letter case are the same key
    struct icasecmp {
        bool operator()(const std::string& a, const std::string& b) const;
    };

    // throws std::runtime_error on a text that is not an AMQP address or
    // whose port is not a number from 1 to 65535
    Address(const char* data, size_t size);

    bool secure() const { return _secure; }
    const Login& login() const { return _login; }
    const std::string& hostname() const { return _hostname; }
    uint16_t port() const { return _port; }
    const std::string& vhost() const { return _vhost; }

    // the value of an option (any letter case), or null when it is absent;
    // valid while the address lives
    const char* option(const char* name) const;

    // an option converted to T, or fallback when it is absent
    template <typename T>
    T option(const char* name, T fallback) const;

private:
    bool _secure = false;
    Login _login;
    std::string _hostname;
    uint16_t _port = 5672;
    std::string _vhost = "/";
    std::map<std::string, std::string, icasecmp> _options;
};

// the value as a decimal integer (leading blanks and a sign allowed, reading
// stops at the first non-digit, no digits give 0)
template <>
int Address::option<int>(const char* name, int fallback) const;

} // namespace AMQP
