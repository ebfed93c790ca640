#include "event/monitor.h"
#include "event/watchable.h"

#include <gtest/gtest.h>

#include <memory>

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
    Watchable object;
    auto monitor = std::make_unique<Monitor>(&object);
    monitor.reset();
    // a freed monitor left in the list would be written to here
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
