// A handler made of two function objects, for callers that prefer them to
// a Handler of their own. Made with new, it ends itself after its one call.
#pragma once

#include "dns/resolver/handler.h"

#include <functional>

namespace DNS {

class Callbacks final : public Handler {
public:
    using Success = std::function<void(const Operation*, const Response&)>;
    using Failure = std::function<void(const Operation*, int rcode)>;

    Callbacks(Success success, Failure failure)
        : _success(std::move(success)), _failure(std::move(failure)) {}

    void onResolved(const Operation* operation, const Response& response) override;
    // a time-out is failure 2
    void onFailure(const Operation* operation, int rcode) override;
    void onCancelled(const Operation* operation) override;
    void onDropped(const Operation* operation) override;

private:
    Success _success;
    Failure _failure;
};

} // namespace DNS
