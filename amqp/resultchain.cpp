#include "amqp/resultchain.h"

namespace AMQP {

void ResultChain::push(const std::shared_ptr<Deferred>& result) {
    if (!_oldest) _oldest = result;
    if (_newest) _newest->add(result);
    _newest = result;
}

void ResultChain::advance(const std::shared_ptr<Deferred>& following) {
    _oldest = following;
    if (!_oldest) _newest.reset();
}

bool ResultChain::fail(const Monitor& monitor, const char* message,
                       std::vector<std::shared_ptr<Deferred>>& failed) {
    const char* text = message;
    while (_oldest) {
        std::shared_ptr<Deferred> current = _oldest;
        std::shared_ptr<Deferred> following = current->reportError(text);
        if (!monitor.valid()) return false;
        current->unchain();
        _oldest = following;
        failed.push_back(std::move(current));
        text = "Channel is in error state";
    }
    _newest.reset();
    return true;
}

void ResultChain::unlink(const Deferred* result) {
    if (!_oldest) return;
    if (_oldest.get() == result) {
        std::shared_ptr<Deferred> head = _oldest;
        _oldest = head->next();
        head->unchain();
        if (!_oldest) _newest.reset();
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
