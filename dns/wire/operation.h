// The handle of a running lookup: valid until its handler was called, and
// cancellable until then.
#pragma once

namespace DNS {

class Handler;
class Query;

class Operation {
public:
    Operation(const Operation&) = delete;
    Operation& operator=(const Operation&) = delete;

    // The query that was (or will be) sent.
    virtual const Query& query() const = 0;
    // Ends the lookup at once; its handler hears onCancelled.
    virtual void cancel() = 0;
    // Null once the operation has reported.
    Handler* handler() const { return _handler; }

protected:
    explicit Operation(Handler* handler) : _handler(handler) {}
    virtual ~Operation() = default;

    Handler* _handler;
};

} // namespace DNS
