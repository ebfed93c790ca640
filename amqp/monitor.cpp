#include "amqp/monitor.h"

#include "amqp/watchable.h"

namespace AMQP {

Monitor::Monitor(Watchable* watchable) {
    attach(watchable);
}

Monitor::Monitor(const Monitor& other) {
    attach(other._watchable);
}

Monitor& Monitor::operator=(const Monitor& other) {
    if (this == &other) return *this;
    detach();
    attach(other._watchable);
    return *this;
}

Monitor::~Monitor() {
    detach();
}

void Monitor::attach(Watchable* watchable) {
    _watchable = watchable;
    if (_watchable) _watchable->add(this);
}

void Monitor::detach() {
    if (_watchable) _watchable->remove(this);
    _watchable = nullptr;
}

} // namespace AMQP
