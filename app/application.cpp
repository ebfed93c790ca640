#include "app/application.h"

#include "amqp/address.h"
#include "amqp/deferredpublish.h"
#include "amqp/deferredrecall.h"
#include "amqp/envelope.h"
#include "amqp/flags.h"
#include "amqp/table.h"
#include "app/input.h"
#include "app/message.h"
#include "app/options.h"
#include "event/mainloop.h"
#include "mime/address.h"
#include "rabbit/compressed_envelope.h"
#include "toolbox/boolean.h"

#include <ev.h>
#include <unistd.h>

#include <cstdio>
#include <memory>
#include <stdexcept>

using Orvanta::Toolbox::Boolean;

namespace {

// The broker address, checked together with the outbox so that a bad outbox
// is refused before anything is connected.
AMQP::Address brokerAddress(const Options& options) {
    const std::string text = options.get("rabbitmq-address", "");
    AMQP::Address address(text.data(), text.size());
    Orvanta::Rabbit::Endpoint outbox(options.get("rabbitmq-outbox", ""));
    return address;
}

void complain(const char* text) {
    std::fputs(text, stderr);
    std::fputc('\n', stderr);
    std::fflush(stderr);
}

} // namespace

Application::Application(const Options& options)
    : Base(brokerAddress(options)), _channel(connection()), _reliable(_channel),
      _outbox(options.get("rabbitmq-outbox", "")), _options(options), _input(this, STDIN_FILENO, EV_READ),
      _message(std::make_shared<Orvanta::Filter::Contiguous>()),
      _decoder(_message.get(), [this](size_t size) { onReady(size); }) {
    _input.start(mainLoop()->loop());

    if (!Boolean(options.get("extract-recipients", "no").c_str()) && options.recipients().empty())
        throw std::runtime_error("No recipients specified");

    const std::string envelope = options.get("envelope", "");
    if (!envelope.empty()) {
        try {
            Orvanta::Mime::Address address(envelope.data(), envelope.size(), true);
        } catch (const std::exception&) {
            // the parser's own wording is not for the user: one text for all
            throw std::runtime_error("Invalid envelope address");
        }
    }

    // Published with the mandatory flag, a message that no queue takes comes
    // back; the broker acks it all the same, so the return must be noticed.
    _channel.recall().onReturnStart([this](int16_t code, const std::string& text) {
        if (_status.settled()) return;
        _status.refused();
        std::fprintf(stderr, "RabbitMQ returned the message: %d %s\n", code, text.c_str());
        complain("Failed to publish message to RabbitMQ");
    });
}

Application::~Application() = default;

void Application::onReadable(int fd) {
    bool ignoreDot = Boolean(_options.get("ignore-dot", "no").c_str());
    long size = Input::readInto(fd, *_message, ignoreDot ? nullptr : &_decoder);
    if (size == Input::later || size > 0) return;

    _input.stop();
    if (ignoreDot) return onReady(_message->size());

    complain("Reached EOF without encountering a dot");
    _status.truncated();
    connection()->close(false);
}

std::string Application::recipients() const {
    std::string list;
    for (const Orvanta::Mime::Address& address : _options.recipients()) {
        if (!list.empty()) list += ',';
        list += static_cast<std::string>(address);
    }
    if (!Boolean(_options.get("extract-recipients", "no").c_str())) return list;

    std::string extracted;
    Tarvex::Message message(_message->data(), _message->size());
    for (const std::string& address : message.recipients()) {
        if (!extracted.empty()) extracted += ',';
        extracted += address;
    }
    if (list.empty()) return extracted;
    if (!extracted.empty()) list += ',' + extracted;
    return list;
}

void Application::onReady(size_t) {
    _input.stop();

    std::string list = recipients();
    if (list.empty()) throw std::runtime_error("No recipients specified");

    AMQP::DeferredPublish& publication = send(list);
    if (!publication) {
        // refused by the channel before anything reached the broker; the
        // finalize callback below then closes the connection at once
        _status.refused();
        complain("Failed to send message to RabbitMQ");
    }
    publication.onAck([this] { _status.acknowledged(); })
        .onNackOrError([this] {
            _status.refused();
            complain("Failed to publish message to RabbitMQ");
        })
        .onFinalize([this] { connection()->close(false); });
}

AMQP::DeferredPublish& Application::send(const std::string& recipients) {
    AMQP::Table headers;
    headers.set("recipients", recipients);
    const std::string envelope = _options.get("envelope", "");
    if (!envelope.empty()) headers.set("envelope", envelope);

    const char* data = _message->data();
    size_t size = _message->size();

    std::unique_ptr<AMQP::Envelope> message;
    if (Boolean(_options.get("rabbitmq-compress", "true").c_str()))
        message = std::make_unique<Orvanta::Rabbit::Compressed::Envelope>(data, size);
    else
        // not copied: the message stays alive while anything refers to it
        message = std::make_unique<AMQP::Envelope>(data, size, _message);
    message->setHeaders(headers);

    return _reliable.publish(_outbox.exchange(), _outbox.routingKey(), *message, AMQP::mandatory);
}

void Application::onExit(int signum, unsigned long count) {
    // no more input: whatever is still to come would never be published
    _input.stop();
    if (!_interrupted && !_status.settled()) {
        std::fprintf(stderr, "Interrupted by signal %d before RabbitMQ confirmed the message\n", signum);
        std::fflush(stderr);
    }
    _interrupted = true;
    Base::onExit(signum, count);
}
