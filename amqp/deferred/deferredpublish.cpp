#include "amqp/deferred/deferredpublish.h"

namespace AMQP {

void DeferredPublish::reportFailure(const char* message) {
    if (_verdict == Verdict::open) _reason = message;
    report(Verdict::failure);
}

void DeferredPublish::report(Verdict verdict) {
    if (_verdict == Verdict::open) _verdict = verdict;
    if (_verdict == Verdict::failure) _failed = true;
    int steps = _verdict == Verdict::ack ? 1 : 2;
    // each callback counts as started before it runs, so that a report from
    // within it goes on with the next one
    while (_started < steps) {
        int step = _started++;
        if (_verdict == Verdict::ack) {
            if (_ackCallback) _ackCallback();
        } else if (_verdict == Verdict::nack && step == 0) {
            if (_nackCallback) _nackCallback();
        } else if (_verdict == Verdict::failure && step == 1) {
            reportError(_reason.c_str());
        } else if (_nackOrErrorCallback) {
            _nackOrErrorCallback();
        }
    }
}

} // namespace AMQP
