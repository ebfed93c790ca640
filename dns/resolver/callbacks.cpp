#include "dns/resolver/callbacks.h"

#include <memory>

namespace DNS {

// The unique_ptr ends the object even when the callback throws.
void Callbacks::onResolved(const Operation* operation, const Response& response) {
    std::unique_ptr<Callbacks> self(this);
    if (_success) _success(operation, response);
}

void Callbacks::onFailure(const Operation* operation, int rcode) {
    std::unique_ptr<Callbacks> self(this);
    if (_failure) _failure(operation, rcode);
}

void Callbacks::onCancelled(const Operation*) {
    delete this;
}

void Callbacks::onDropped(const Operation*) {
    delete this;
}

} // namespace DNS
