#include "rabbit/endpoint.h"

#include <stdexcept>

namespace Orvanta::Rabbit {

namespace {

// The longest name an AMQP short string can carry.
constexpr size_t maxName = 255;

} // namespace

Endpoint::Endpoint(const std::string& text) : _text(text), _colon(text.find(':')) {
    if (exchange().size() > maxName) throw std::runtime_error("Outbox exchange is longer than 255 bytes");
    if (routingKey().size() > maxName)
        throw std::runtime_error("Outbox routing key is longer than 255 bytes");
}

std::string_view Endpoint::exchange() const {
    if (_colon == std::string::npos) return {};
    return std::string_view(_text).substr(0, _colon);
}

std::string_view Endpoint::routingKey() const {
    if (_colon == std::string::npos) return _text;
    return std::string_view(_text).substr(_colon + 1);
}

} // namespace Orvanta::Rabbit
