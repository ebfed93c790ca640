// The result of one publication in confirm mode: the broker's ack, its nack,
// or the loss of the publication to a channel error.
#pragma once

#include <functional>
#include <string>

#include "amqp/deferred/deferred.h"

namespace AMQP {

class DeferredPublish : public Deferred {
public:
    explicit DeferredPublish(bool failed = false) : Deferred(failed) {}

    DeferredPublish& onAck(std::function<void()> callback) {
        _ackCallback = std::move(callback);
        return *this;
    }
    DeferredPublish& onNack(std::function<void()> callback) {
        _nackCallback = std::move(callback);
        return *this;
    }
    // runs on a nack and on a channel error alike
    DeferredPublish& onNackOrError(std::function<void()> callback) {
        _nackOrErrorCallback = std::move(callback);
        return *this;
    }

    // the base setters again, answering this type so that any order chains
    DeferredPublish& onSuccess(std::function<void()> callback) {
        Deferred::onSuccess(std::move(callback));
        return *this;
    }
    DeferredPublish& onError(std::function<void(const char*)> callback) {
        Deferred::onError(std::move(callback));
        return *this;
    }
    DeferredPublish& onFinalize(std::function<void()> callback) {
        Deferred::onFinalize(std::move(callback));
        return *this;
    }

    // The verdict on the message, given once. Asked again while one of its
    // own callbacks runs (that callback ended the connection, or threw, and
    // the channel's end is reported from within it), the first verdict goes
    // on where it stands: the message is settled once, and before the
    // connection detaches.

    // the broker acknowledged the message
    void reportAck() { report(Verdict::ack); }
    // the broker refused the message: nack, then nack-or-error
    void reportNack() { report(Verdict::nack); }
    // the channel failed with the message outstanding: nack-or-error, then
    // the error callback with the text
    void reportFailure(const char* message);

private:
    enum class Verdict { open, ack, nack, failure };
    // settles with verdict unless it is settled already, and runs the
    // callbacks of the verdict not yet started
    void report(Verdict verdict);

    Verdict _verdict = Verdict::open;
    // callbacks of the verdict that were started
    int _started = 0;
    std::string _reason;
    std::function<void()> _ackCallback;
    std::function<void()> _nackCallback;
    std::function<void()> _nackOrErrorCallback;
};

} // namespace AMQP
