// Guards code that calls out while iterating: a Watcher on a Watchable
// turns invalid when the Watchable is destroyed, so the caller learns that
// a callback destroyed the object it was walking.
#pragma once

#include <vector>

namespace DNS {

class Watcher;

class Watchable {
public:
    Watchable() = default;
    // a copy is another object: watchers stay with the original
    Watchable(const Watchable&) {}
    Watchable& operator=(const Watchable&) { return *this; }
    virtual ~Watchable();

private:
    friend class Watcher;
    std::vector<Watcher*> _watchers;
};

class Watcher {
public:
    explicit Watcher(Watchable* object) : _object(object) { _object->_watchers.push_back(this); }
    Watcher(const Watcher&) = delete;
    Watcher& operator=(const Watcher&) = delete;
    ~Watcher();

    bool valid() const { return _object != nullptr; }

private:
    friend class Watchable;
    Watchable* _object;
};

} // namespace DNS
