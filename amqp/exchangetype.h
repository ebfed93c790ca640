// The kinds of exchange a channel can declare, and the type text each sends.
#pragma once

namespace AMQP {

enum ExchangeType { fanout, direct, topic, headers, consistent_hash, message_deduplication };

// the type text of exchange.declare; empty for a value outside the enum
inline const char* exchangeTypeText(ExchangeType type) {
    switch (type) {
    case fanout:
        return "fanout";
    case direct:
        return "direct";
    case topic:
        return "topic";
    case headers:
        return "headers";
    case consistent_hash:
        return "x-consistent-hash";
    case message_deduplication:
        return "x-message-deduplication";
    }
    return "";
}

} // namespace AMQP
