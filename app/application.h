// The client: reads one message on standard input, decides its recipients,
// publishes it to the outbox with publisher confirms and closes the
// connection once the broker has had its say.
#pragma once

#include "amqp/reliable.h"
#include "amqp/tcp/tcpchannel.h"
#include "app/exitstatus.h"
#include "app/payload.h"
#include "event/iohandler.h"
#include "event/iowatcher.h"
#include "filter/smtpdecode.h"
#include "rabbit/app_base.h"

#include <cstdint>
#include <memory>
#include <string>

class Options;
struct Settings;

namespace AMQP {
class DeferredPublish;
}

class Application : private Orvanta::Event::IoHandler, public Orvanta::Rabbit::App::Base {
public:
    // Connects and starts watching standard input; throws std::runtime_error
    // when standard input is closed or there can be no recipient at all.
    explicit Application(const Options& options);
    ~Application() override;

    // The exit status for what happened so far.
    int status() const { return _status.value(); }

    // The end of the message was reached; the argument is not used.
    void onReady(size_t size);
    // the connection's, which this one must not hide
    using Base::onReady;

    // Publishes the collected message to the outbox.
    AMQP::DeferredPublish& send(const std::string& recipients);

private:
    void onReadable(int fd) override;
    bool onInterrupt(int signum) override;
    uint16_t onNegotiate(AMQP::TcpConnection* connection, uint16_t interval) override;
    // the set-up ends with the channel in confirm mode: until then the
    // set-up limit runs, whatever heartbeats the broker sends
    bool established(AMQP::TcpConnection* connection) override;
    // a memory or disk alarm of the broker's: said once, and waited out
    void onBlocked(AMQP::TcpConnection* connection, const char* reason) override;
    // Says nothing once the broker confirmed the message: how the connection
    // ends afterwards (no close-ok, a lost connection) is no error of the
    // delivery, and a line calling it one would mislead the operator. Nor
    // after a signal closed it at once, before anything was sent.
    using Base::onError;
    void onError(const char* message) override;

    // The recipients: the positional ones and, when asked for, those of the
    // message's "to", "cc" and "bcc" headers; throws std::runtime_error when
    // one of those cannot be read.
    std::string recipients() const;

    // The publication failed with this reason: permanently when the message
    // can never pass, else for now.
    void onFailed(const char* reason);
    // whether the content header is larger than the frames the broker allows
    bool tooLarge();

    // first in, last out: the callbacks of the publication report here
    ExitStatus _status;
    AMQP::TcpChannel _channel;
    AMQP::Reliable<AMQP::Tagger> _reliable;
    const Options& _options;
    const Settings& _settings;
    Orvanta::Event::IoWatcher _input;
    // the message, read straight into it, dot-decoded in place and
    // compressed as it arrives
    Payload _payload;
    Orvanta::Filter::SmtpDecode _decoder;

    // the publication went out and its confirm is awaited
    bool _publishing = false;
    // the broker has told its frame size
    bool _negotiated = false;
    // the broker put the channel into confirm mode
    bool _confirming = false;
    // a signal closed the connection at once, with nothing sent
    bool _dropped = false;
    // the user was told that the broker blocked the connection
    bool _blockedSaid = false;
    // bytes of the publication's content header frame
    uint64_t _headerSize = 0;
};
