// What a caller of the resolver implements to hear how a lookup ended. The
// resolver calls exactly one of onReceived, onTimeout and onCancelled once
// per operation; the defaults turn an answer into onResolved or onFailure.
#pragma once

namespace DNS {

class Operation;
class Response;

class Handler {
public:
    virtual void onResolved(const Operation* operation, const Response& response);
    virtual void onFailure(const Operation* operation, int rcode);
    // onFailure(operation, 2)
    virtual void onTimeout(const Operation* operation);
    // onFailure with the response code when it is not 0 (extended bits of an
    // OPT record included), onFailure(operation, 2) for a truncated answer,
    // else onResolved.
    virtual void onReceived(const Operation* operation, const Response& response);
    virtual void onCancelled(const Operation* operation);
    // The operation is gone without a result because its resolver was
    // destroyed; a handler that owns itself releases itself here.
    virtual void onDropped(const Operation* operation);

protected:
    ~Handler() = default;
};

} // namespace DNS
