// An object that monitors can watch: when it is destroyed, every monitor
// watching it becomes invalid, so that a caller learns whether a callback
// destroyed it.
#pragma once

#include <vector>

namespace Orvanta::Event {

class Watchable {
public:
    // What a Watchable knows of the monitors that watch it.
    class Parent {
    public:
        virtual void invalidate() = 0;

    protected:
        virtual ~Parent() = default;
    };

    Watchable() = default;
    // A copy is another object: the monitors keep watching the original.
    Watchable(const Watchable&) {}
    Watchable& operator=(const Watchable&) { return *this; }
    virtual ~Watchable();

private:
    friend class Monitor;
    std::vector<Parent*> _monitors;
};

} // namespace Orvanta::Event
