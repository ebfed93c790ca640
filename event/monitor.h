// Made on the stack before calling out: valid() stays true as long as the
// watched object has not been destroyed.
#pragma once

#include "event/watchable.h"

namespace Orvanta::Event {

class Monitor : private Watchable::Parent {
public:
    explicit Monitor(Watchable* object);
    Monitor(const Monitor&) = delete;
    Monitor& operator=(const Monitor&) = delete;
    ~Monitor() override;

    bool valid() const { return _object != nullptr; }

private:
    void invalidate() override { _object = nullptr; }

    Watchable* _object;
};

} // namespace Orvanta::Event
