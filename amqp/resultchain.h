// The results of a channel's requests that still wait for their replies,
// oldest first: the broker answers in order, so each reply resolves the oldest.
#pragma once

#include <memory>
#include <utility>
#include <vector>

#include "amqp/deferred/deferred.h"
#include "amqp/monitor.h"

namespace AMQP {

class ResultChain {
public:
    bool empty() const { return !_oldest; }

    // appends result as the newest
    void push(const std::shared_ptr<Deferred>& result);

    // Resolves the oldest with the reply's values; false when the channel
    // watched by monitor died in a callback (this chain with it). Each
    // result leaves the chain before its callback runs: one that ends the
    // channel there (closing the connection) fails only those still waiting.
    template <typename... Arguments>
    bool resolve(const Monitor& monitor, Arguments&&... arguments);

    // fails every result, the oldest with message and the rest as following
    // it; the failed ones go to failed so that the caller releases them
    // after its own callbacks. False when the channel died in a callback. A
    // callback that fails the chain again, nested, fails the rest there.
    bool fail(const Monitor& monitor, const char* message, std::vector<std::shared_ptr<Deferred>>& failed);

    // takes result out wherever it stands
    void unlink(const Deferred* result);

private:
    // the oldest, taken out of the chain; null when it is empty
    std::shared_ptr<Deferred> take();

    std::shared_ptr<Deferred> _oldest;
    std::shared_ptr<Deferred> _newest;
};

template <typename... Arguments>
bool ResultChain::resolve(const Monitor& monitor, Arguments&&... arguments) {
    std::shared_ptr<Deferred> current = take();
    if (!current) return true;
    current->reportSuccess(std::forward<Arguments>(arguments)...);
    return monitor.valid();
}

} // namespace AMQP
