#include "rabbit/app_base.h"

#include "amqp/address.h"
#include "event/mainloop.h"
#include "testsupport/listener.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <ev.h>
#include <signal.h>
#include <unistd.h>

#include <string>
#include <vector>

using Orvanta::Rabbit::App::Base;
using ::testing::MatchesRegex;

namespace {

// A port on 127.0.0.1 that takes TCP connections and never says a word
// (listening without accepting), or, once closed, refuses them.
AMQP::Address addressOf(const Orvanta::Test::Listener& listener) {
    std::string text = listener.amqpAddress();
    return AMQP::Address(text.data(), text.size());
}

// Sends this process a signal from inside the running loop, after a delay.
class DelayedSignal {
public:
    DelayedSignal(double delay, int signum) : _signum(signum) {
        ev_timer_init(&_timer, fire, delay, 0);
        _timer.data = this;
        ev_timer_start(EV_DEFAULT, &_timer);
    }
    ~DelayedSignal() { ev_timer_stop(EV_DEFAULT, &_timer); }
    bool fired() const { return _fired; }

private:
    static void fire(struct ev_loop*, ev_timer* timer, int) {
        auto* self = static_cast<DelayedSignal*>(timer->data);
        self->_fired = true;
        kill(getpid(), self->_signum);
    }
    ev_timer _timer;
    int _signum;
    bool _fired = false;
};

const char* timestamped = "\\[[0-9]{4}-[0-9]{2}-[0-9]{2} [0-9]{2}:[0-9]{2}:[0-9]{2}\\] ";

} // namespace

TEST(AppBase, OnlyOneInstanceAtATime) {
    Orvanta::Test::Listener listener;
    {
        Base first(addressOf(listener));
        EXPECT_EQ(Base::instances(), 1);
        try {
            Base second(addressOf(listener));
            FAIL() << "a second instance was built";
        } catch (const std::logic_error& error) {
            EXPECT_STREQ(error.what(), "More than one instance running of Rabbit::App::Base");
        }
        // the failed one did not leave the counter raised
        EXPECT_EQ(Base::instances(), 1);
    }
    EXPECT_EQ(Base::instances(), 0);
    Base again(addressOf(listener));
    EXPECT_EQ(Base::instances(), 1);
}

TEST(AppBase, AConnectionErrorIsOneTimestampedLineAndEndsTheRun) {
    Orvanta::Test::Listener listener;
    AMQP::Address address = addressOf(listener);
    listener.close();
    Base base(address);
    ::testing::internal::CaptureStderr();
    EXPECT_EQ(base.run(), 0);
    std::string err = ::testing::internal::GetCapturedStderr();
    EXPECT_THAT(err, MatchesRegex(std::string(timestamped) + "RabbitMQ connection error: [^\n]+\n")) << err;
}

TEST(AppBase, TheFirstSignalWaitsForTheBrokerTheSecondDoesNot) {
    Orvanta::Test::Listener listener;
    Base base(addressOf(listener));
    // the broker never answers: an orderly close cannot finish
    DelayedSignal first(0.1, SIGTERM);
    DelayedSignal second(0.6, SIGINT);
    ::testing::internal::CaptureStderr();
    double start = ev_time();
    EXPECT_EQ(base.run(), 0);
    double elapsed = ev_time() - start;
    std::string err = ::testing::internal::GetCapturedStderr();
    EXPECT_TRUE(first.fired());
    EXPECT_TRUE(second.fired()) << "the first signal alone ended the run";
    EXPECT_LT(elapsed, 5.0);
    EXPECT_THAT(err, MatchesRegex(std::string(timestamped) +
                                  "RabbitMQ connection error: connection prematurely closed by client\n"));
}
