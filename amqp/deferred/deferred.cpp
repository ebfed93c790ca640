#include "amqp/deferred/deferred.h"

#include <utility>

namespace AMQP {

Deferred::~Deferred() {
    if (_finalizeCallback) {
        try {
            _finalizeCallback();
        } catch (...) {
            // a destructor must not throw, and the owner that let go has
            // nobody left to tell
        }
    }
    // Each link we hold alone is cut from its successor before it goes, so
    // its own destructor finds nothing to release and returns; the loop then
    // carries on with the successor. A link that has another owner stays
    // alive with the rest of the chain behind it.
    std::shared_ptr<Deferred> link = std::move(_next);
    while (link && link.use_count() == 1) {
        std::shared_ptr<Deferred> following = std::move(link->_next);
        link.reset();
        link = std::move(following);
    }
}

const std::shared_ptr<Deferred>& Deferred::reportSuccess() const {
    if (_successCallback) _successCallback();
    return _next;
}

const std::shared_ptr<Deferred>& Deferred::reportSuccess(const std::string&, uint32_t, uint32_t) const {
    return reportSuccess();
}

const std::shared_ptr<Deferred>& Deferred::reportSuccess(uint32_t) const {
    return reportSuccess();
}

const std::shared_ptr<Deferred>& Deferred::reportSuccess(uint32_t, uint64_t, bool) {
    return reportSuccess();
}

const std::shared_ptr<Deferred>& Deferred::reportSuccess(const std::string&) {
    return reportSuccess();
}

const std::shared_ptr<Deferred>& Deferred::reportError(const char* error) {
    _failed = true;
    if (_errorCallback) _errorCallback(error);
    return _next;
}

Deferred& Deferred::onSuccess(std::function<void()> callback) {
    _successCallback = std::move(callback);
    return *this;
}

Deferred& Deferred::onError(std::function<void(const char*)> callback) {
    _errorCallback = std::move(callback);
    if (_failed && _errorCallback) _errorCallback("Frame could not be sent");
    return *this;
}

Deferred& Deferred::onFinalize(std::function<void()> callback) {
    if (_failed) {
        if (callback) callback();
        return *this;
    }
    _finalizeCallback = std::move(callback);
    return *this;
}

} // namespace AMQP
