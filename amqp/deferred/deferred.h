// The result of an asynchronous channel operation: success, error and
// finalize callbacks, and the link to the next pending result of its channel.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

namespace AMQP {

class Deferred {
public:
    // failed: the request never left, so no reply will resolve this object
    explicit Deferred(bool failed = false) : _failed(failed) {}
    Deferred(const Deferred&) = delete;
    Deferred& operator=(const Deferred&) = delete;

    // Runs the finalize callback, then releases the rest of the chain. The
    // chain is released one link at a time, so a long chain cannot exhaust
    // the stack; finalize callbacks still run from the head on.
    virtual ~Deferred();

    // A reply resolved this object; each returns the next pointer. The
    // overloads with arguments end up in the plain one unless a subclass
    // wants their values.
    virtual const std::shared_ptr<Deferred>& reportSuccess() const;
    virtual const std::shared_ptr<Deferred>& reportSuccess(const std::string& name, uint32_t messageCount,
                                                           uint32_t consumerCount) const;
    virtual const std::shared_ptr<Deferred>& reportSuccess(uint32_t messageCount) const;
    virtual const std::shared_ptr<Deferred>& reportSuccess(uint32_t messageCount, uint64_t deliveryTag,
                                                           bool redelivered);
    virtual const std::shared_ptr<Deferred>& reportSuccess(const std::string& name);

    // the channel failed: sets failed and calls the error callback; the
    // finalize callback waits for the release
    const std::shared_ptr<Deferred>& reportError(const char* error);

    void add(const std::shared_ptr<Deferred>& next) { _next = next; }
    void unchain() { _next.reset(); }
    const std::shared_ptr<Deferred>& next() const { return _next; }

    // true while the object has not failed
    explicit operator bool() const { return !_failed; }

    Deferred& onSuccess(std::function<void()> callback);

    // on an object that has already failed the callback runs at once as well
    Deferred& onError(std::function<void(const char*)> callback);

    // on an object that has already failed the callback runs at once and is
    // not kept; otherwise it runs when the last owner lets go
    Deferred& onFinalize(std::function<void()> callback);

private:
    std::function<void()> _finalizeCallback;
    std::function<void()> _successCallback;
    std::function<void(const char*)> _errorCallback;
    std::shared_ptr<Deferred> _next;

protected:
    bool _failed;
};

} // namespace AMQP
