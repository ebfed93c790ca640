// The common base of the objects that receive event callbacks.
#pragma once

namespace Orvanta::Event {

class Handler {
public:
    virtual ~Handler() = default;
};

} // namespace Orvanta::Event
