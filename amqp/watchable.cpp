#include "amqp/watchable.h"

#include <algorithm>

#include "amqp/monitor.h"

namespace AMQP {

Watchable::~Watchable() {
    for (Monitor* monitor : _monitors)
        monitor->invalidate();
}

void Watchable::add(Monitor* monitor) {
    _monitors.push_back(monitor);
}

void Watchable::remove(Monitor* monitor) {
    _monitors.erase(std::remove(_monitors.begin(), _monitors.end(), monitor), _monitors.end());
}

} // namespace AMQP
