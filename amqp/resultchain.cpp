#include "amqp/resultchain.h"

namespace AMQP {

void ResultChain::push(const std::shared_ptr<Deferred>& result) {
    if (!_oldest) _oldest = result;
    if (_newest) _newest->add(result);
    _newest = result;
}

std::shared_ptr<Deferred> ResultChain::take() {
    std::shared_ptr<Deferred> oldest = std::move(_oldest);
    if (!oldest) return oldest;
    _oldest = oldest->next();
    oldest->unchain();
    if (!_oldest) _newest.reset();
    return oldest;
}

bool ResultChain::fail(const Monitor& monitor, const char* message,
                       std::vector<std::shared_ptr<Deferred>>& failed) {
    const char* text = message;
    while (std::shared_ptr<Deferred> current = take()) {
        failed.push_back(current);
        current->reportError(text);
        if (!monitor.valid()) return false;
        text = "Channel is in error state";
    }
    return true;
}

void ResultChain::unlink(const Deferred* result) {
    if (!_oldest) return;
    if (_oldest.get() == result) {
        take();
        return;
    }
    for (std::shared_ptr<Deferred> link = _oldest; link->next(); link = link->next()) {
        if (link->next().get() != result) continue;
        std::shared_ptr<Deferred> found = link->next();
        link->add(found->next());
        found->unchain();
        if (_newest == found) _newest = link;
        return;
    }
}

} // namespace AMQP
