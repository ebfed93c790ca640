// Watches a Watchable across a call into user code: valid() turns false once
// the watched object has been destroyed.
#pragma once

namespace AMQP {

class Watchable;

class Monitor {
public:
    explicit Monitor(Watchable* watchable);

    // a copy watches the same object and registers on its own
    Monitor(const Monitor& other);
    Monitor& operator=(const Monitor& other);

    ~Monitor();

    bool valid() const { return _watchable != nullptr; }

    // called by the watched object when it dies
    void invalidate() { _watchable = nullptr; }

private:
    void attach(Watchable* watchable);
    void detach();

    Watchable* _watchable = nullptr;
};

} // namespace AMQP
