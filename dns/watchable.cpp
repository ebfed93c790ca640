#include "dns/watchable.h"

#include <algorithm>

namespace DNS {

Watchable::~Watchable() {
    for (Watcher* watcher : _watchers)
        watcher->_object = nullptr;
}

Watcher::~Watcher() {
    if (_object == nullptr) return;
    auto& list = _object->_watchers;
    list.erase(std::find(list.begin(), list.end(), this));
}

} // namespace DNS
