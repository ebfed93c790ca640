#include "dns/resolver/blocking.h"

#include "event/loop.h"

#include <ev.h>

namespace Orvanta::Dns {

void Blocking::onReceived(const DNS::Operation* operation, const DNS::Response& response) {
    ev_break(_loop.loop(), EVBREAK_ONE);
    _received = true;
    _handler->onReceived(operation, response);
}

void Blocking::onTimeout(const DNS::Operation* operation) {
    ev_break(_loop.loop(), EVBREAK_ONE);
    _handler->onTimeout(operation);
}

} // namespace Orvanta::Dns
