#include "event/monitor.h"
#include "event/watchable.h"

#include <gtest/gtest.h>

#include <memory>
#include <new>

using namespace Orvanta::Event;

TEST(Monitor, ValidWhileTheObjectLives) {
    auto object = std::make_unique<Watchable>();
    Monitor first(object.get());
    {
        Monitor second(object.get());
        EXPECT_TRUE(second.valid());
    }
    Monitor third(object.get());
    EXPECT_TRUE(first.valid());
    object.reset();
    EXPECT_FALSE(first.valid());
    EXPECT_FALSE(third.valid());
    // their destructors must not touch the destroyed object (the sanitizers
    // check that)
}

TEST(Monitor, DestroyedMonitorIsForgotten) {
    // A second monitor is built where the first one stood: had the object
    // kept the first in its list, its destruction would invalidate the
    // second, which watches something else.
    alignas(Monitor) unsigned char storage[sizeof(Monitor)];
    Watchable other;
    Monitor* second = nullptr;
    {
        Watchable object;
        Monitor* first = new (storage) Monitor(&object);
        first->~Monitor();
        second = new (storage) Monitor(&other);
    }
    EXPECT_TRUE(second->valid());
    second->~Monitor();
}

TEST(Monitor, CopyIsWatchedSeparately) {
    auto original = std::make_unique<Watchable>();
    Monitor monitor(original.get());
    {
        Watchable copy(*original);
        Watchable assigned;
        assigned = *original;
    }
    EXPECT_TRUE(monitor.valid());
    original.reset();
    EXPECT_FALSE(monitor.valid());
}

TEST(Monitor, NullObjectIsNeverValid) {
    Monitor monitor(nullptr);
    EXPECT_FALSE(monitor.valid());
}
