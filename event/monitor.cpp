#include "event/monitor.h"

#include <algorithm>

namespace Orvanta::Event {

Monitor::Monitor(Watchable* object) : _object(object) {
    if (_object != nullptr) _object->_monitors.push_back(this);
}

Monitor::~Monitor() {
    if (_object == nullptr) return;
    auto& monitors = _object->_monitors;
    Watchable::Parent* self = this;
    monitors.erase(std::remove(monitors.begin(), monitors.end(), self), monitors.end());
}

} // namespace Orvanta::Event
