// The client: reads one message on standard input, decides its recipients,
// publishes it to the outbox with publisher confirms and closes the
// connection once the broker has had its say.
#pragma once

#include "amqp/reliable.h"
#include "amqp/tcpchannel.h"
#include "app/exitstatus.h"
#include "event/iohandler.h"
#include "event/iowatcher.h"
#include "filter/contiguous.h"
#include "filter/smtpdecode.h"
#include "rabbit/app_base.h"
#include "rabbit/endpoint.h"

#include <memory>
#include <string>

class Options;

namespace AMQP {
class DeferredPublish;
}

class Application : private Orvanta::Event::IoHandler, public Orvanta::Rabbit::App::Base {
public:
    // Connects and starts watching standard input; throws std::runtime_error
    // for a bad broker address or outbox, a bad envelope address, or when
    // there can be no recipient at all.
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
    void onExit(int signum, unsigned long count) override;

    // The recipients: the positional ones and, when asked for, those of the
    // message's "to", "cc" and "bcc" headers.
    std::string recipients() const;

    // first in, last out: the callbacks of the publication report here
    ExitStatus _status;
    AMQP::TcpChannel _channel;
    AMQP::Reliable<AMQP::Tagger> _reliable;
    Orvanta::Rabbit::Endpoint _outbox;
    const Options& _options;
    Orvanta::Event::IoWatcher _input;
    // the message, read straight into it and dot-decoded in place; shared
    // with the socket, which refers to it until the body is written
    std::shared_ptr<Orvanta::Filter::Contiguous> _message;
    Orvanta::Filter::SmtpDecode _decoder;

    // a termination signal came in
    bool _interrupted = false;
};
