#include "amqp/address.h"

#include <cstdlib>
#include <stdexcept>
#include <string_view>
#include <strings.h>

namespace AMQP {

namespace {

// A port is all digits and names a real port: anything else would silently
// become 0 or a wrapped value and send the connection somewhere unintended.
uint16_t parsePort(std::string_view text) {
    unsigned long value = 0;
    for (char c : text) {
        if (c < '0' || c > '9' || value > 65535) throw std::runtime_error("AMQP address has an invalid port");
        value = value * 10 + static_cast<unsigned long>(c - '0');
    }
    if (text.empty() || value < 1 || value > 65535)
        throw std::runtime_error("AMQP address has an invalid port");
    return static_cast<uint16_t>(value);
}

} // namespace

bool Address::icasecmp::operator()(const std::string& a, const std::string& b) const {
    return strcasecmp(a.c_str(), b.c_str()) < 0;
}

Address::Address(const char* data, size_t size) {
    std::string_view rest(data, size);
    if (rest.substr(0, 8) == "amqps://") {
        _secure = true;
        _port = 5671;
        rest.remove_prefix(8);
    } else if (rest.substr(0, 7) == "amqp://") {
        rest.remove_prefix(7);
    } else {
        throw std::runtime_error("AMQP address should start with \"amqp://\" or \"amqps://\"");
    }

    // the first '@' anywhere ends the login
    size_t at = rest.find('@');
    if (at != std::string_view::npos) {
        std::string_view login = rest.substr(0, at);
        size_t colon = login.find(':');
        if (colon == std::string_view::npos)
            _login = Login(std::string(login), "");
        else
            _login = Login(std::string(login.substr(0, colon)), std::string(login.substr(colon + 1)));
        rest.remove_prefix(at + 1);
    }

    size_t slash = rest.find('/');
    size_t question = slash == std::string_view::npos ? rest.find('?') : rest.find('?', slash);

    if (question != std::string_view::npos && question + 1 < rest.size()) {
        std::string_view query = rest.substr(question + 1);
        while (true) {
            size_t amp = query.find('&');
            std::string_view segment = query.substr(0, amp);
            size_t equals = segment.find('=');
            if (equals != std::string_view::npos)
                _options[std::string(segment.substr(0, equals))] = std::string(segment.substr(equals + 1));
            if (amp == std::string_view::npos) break;
            query.remove_prefix(amp + 1);
        }
    }

    if (slash != std::string_view::npos && slash + 1 < rest.size()) {
        size_t end = question == std::string_view::npos ? rest.size() : question;
        _vhost = std::string(rest.substr(slash + 1, end - slash - 1));
        // connection.open carries it as a short string: say so now rather
        // than fail inside the handshake
        if (_vhost.size() > 255) throw std::runtime_error("AMQP address has a vhost longer than 255 bytes");
    }

    std::string_view hostAndPort;
    if (slash != std::string_view::npos)
        hostAndPort = rest.substr(0, slash);
    else
        hostAndPort = rest.substr(0, question);
    size_t colon = hostAndPort.find(':');
    _hostname = std::string(hostAndPort.substr(0, colon));
    if (colon != std::string_view::npos) _port = parsePort(hostAndPort.substr(colon + 1));
}

const char* Address::option(const char* name) const {
    auto found = _options.find(name);
    if (found == _options.end()) return nullptr;
    return found->second.c_str();
}

template <>
int Address::option<int>(const char* name, int fallback) const {
    const char* value = option(name);
    if (!value) return fallback;
    return static_cast<int>(std::strtoll(value, nullptr, 10));
}

} // namespace AMQP
