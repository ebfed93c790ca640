#include "dns/resolver/handler.h"

#include "dns/wire/message.h"

namespace DNS {

void Handler::onResolved(const Operation*, const Response&) {}

void Handler::onFailure(const Operation*, int) {}

void Handler::onTimeout(const Operation* operation) {
    onFailure(operation, 2);
}

void Handler::onReceived(const Operation* operation, const Response& response) {
    int rcode = response.rcode();
    if (rcode != 0) return onFailure(operation, rcode);
    if (response.truncated()) return onFailure(operation, 2);
    onResolved(operation, response);
}

void Handler::onCancelled(const Operation*) {}

void Handler::onDropped(const Operation*) {}

} // namespace DNS
