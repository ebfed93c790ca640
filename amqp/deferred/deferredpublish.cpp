#include "amqp/deferred/deferredpublish.h"

namespace AMQP {

void DeferredPublish::reportNack() const {
    if (_nackCallback) _nackCallback();
    if (_nackOrErrorCallback) _nackOrErrorCallback();
}

void DeferredPublish::reportFailure(const char* message) {
    _failed = true;
    if (_nackOrErrorCallback) _nackOrErrorCallback();
    reportError(message);
}

} // namespace AMQP
