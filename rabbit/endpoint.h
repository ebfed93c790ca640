// Where a message goes: an "exchange:routingkey" text split at its first
// colon. Both names are AMQP short strings, so neither may exceed 255 bytes.
#pragma once

#include <string>
#include <string_view>

namespace Orvanta::Rabbit {

class Endpoint {
public:
    // Throws std::runtime_error when the exchange or the routing key is
    // longer than 255 bytes: the broker could never be told such a name.
    explicit Endpoint(const std::string& text);

    // The text before the first ":", empty when there is none (the default
    // exchange).
    std::string_view exchange() const;
    // The text after the first ":", or all of it when there is none.
    std::string_view routingKey() const;

private:
    std::string _text;
    size_t _colon;
};

} // namespace Orvanta::Rabbit
