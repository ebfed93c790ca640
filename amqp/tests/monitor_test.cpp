#include <functional>
#include <memory>
#include <type_traits>

#include <gtest/gtest.h>

#include "amqp/monitor.h"
#include "amqp/watchable.h"

using namespace AMQP;

namespace {

// an object whose callback may destroy it, as user code does
class Caller : public Watchable {
public:
    bool call(const std::function<void()>& callback) {
        Monitor monitor(this);
        callback();
        if (!monitor.valid()) return false;
        ++_calls;
        return true;
    }
    int _calls = 0;
};

} // namespace

static_assert(!std::is_copy_constructible_v<Watchable>, "a copied watchable leaves its monitors behind");
static_assert(!std::is_copy_assignable_v<Watchable>, "a copied watchable leaves its monitors behind");

TEST(Monitor, CallbackThatDestroysItsCallerInvalidatesTheMonitor) {
    auto caller = std::make_unique<Caller>();
    EXPECT_TRUE(caller->call([] {}));
    EXPECT_EQ(caller->_calls, 1);
    // ASan would report a write to the destroyed object
    Caller* raw = caller.get();
    EXPECT_FALSE(raw->call([&] { caller.reset(); }));
}

TEST(Monitor, NestedMonitorsAreAllInvalidated) {
    auto watched = std::make_unique<Caller>();
    Monitor outer(watched.get());
    {
        Monitor inner(watched.get());
        Monitor copy(inner);
        EXPECT_TRUE(copy.valid());
        watched.reset();
        EXPECT_FALSE(inner.valid());
        EXPECT_FALSE(copy.valid());
    }
    EXPECT_FALSE(outer.valid());
}

TEST(Monitor, DestroyedMonitorUnregisters) {
    // the watchable dies after the monitors: it must not touch them
    auto watched = std::make_unique<Caller>();
    {
        auto monitor = std::make_unique<Monitor>(watched.get());
        auto other = std::make_unique<Monitor>(watched.get());
        EXPECT_TRUE(monitor->valid());
        monitor.reset();
        EXPECT_TRUE(other->valid());
    }
    watched.reset();
}

TEST(Monitor, RemoveErasesEveryOccurrence) {
    auto watched = std::make_unique<Caller>();
    {
        auto monitor = std::make_unique<Monitor>(watched.get());
        watched->add(monitor.get());
        watched->add(monitor.get());
        // the destructor's remove must take all three entries out
    }
    watched.reset();
}

TEST(Monitor, AssignmentMovesTheWatch) {
    auto first = std::make_unique<Caller>();
    auto second = std::make_unique<Caller>();
    Monitor monitor(first.get());
    Monitor other(second.get());
    monitor = other;
    first.reset();
    EXPECT_TRUE(monitor.valid());
    second.reset();
    EXPECT_FALSE(monitor.valid());
    EXPECT_FALSE(other.valid());

    Monitor none(nullptr);
    EXPECT_FALSE(none.valid());
}
