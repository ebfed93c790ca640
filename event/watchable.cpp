#include "event/watchable.h"

namespace Orvanta::Event {

Watchable::~Watchable() {
    for (Parent* monitor : _monitors)
        monitor->invalidate();
}

} // namespace Orvanta::Event
