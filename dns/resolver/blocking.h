// The handler of a blocking query: it ends the private loop when the lookup
// has an outcome and passes that outcome on to the caller's handler.
#pragma once

#include "dns/resolver/handler.h"

namespace Orvanta::Event {
class Loop;
}

namespace Orvanta::Dns {

class Blocking : public DNS::Handler {
public:
    Blocking(Event::Loop& loop, DNS::Handler* handler) : _loop(loop), _handler(handler) {}

    void onReceived(const DNS::Operation* operation, const DNS::Response& response) override;
    void onTimeout(const DNS::Operation* operation) override;

    // a response arrived
    bool received() const { return _received; }

private:
    Event::Loop& _loop;
    DNS::Handler* _handler;
    bool _received = false;
};

} // namespace Orvanta::Dns
