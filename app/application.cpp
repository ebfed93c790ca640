#include "app/application.h"

#include "amqp/channelimpl.h"
#include "amqp/connection.h"
#include "amqp/deferred/deferredconfirm.h"
#include "amqp/deferred/deferredpublish.h"
#include "amqp/deferredrecall.h"
#include "amqp/flags.h"
#include "amqp/framing/basicheaderframe.h"
#include "amqp/values/envelope.h"
#include "amqp/values/table.h"
#include "app/input.h"
#include "app/message.h"
#include "app/options.h"
#include "event/mainloop.h"
#include "mime/grammar/address.h"

#include <ev.h>
#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <memory>
#include <stdexcept>

namespace {

// The broker address, taken only once standard input is known to be open:
// with descriptor 0 closed, the connection's first descriptor would become
// "standard input".
const AMQP::Address& brokerAddress(const Options& options) {
    if (fcntl(STDIN_FILENO, F_GETFD) < 0) throw std::runtime_error("Failed to read from stdin: it is closed");
    return options.settings().address;
}

void complain(const std::string& text) {
    std::fputs(text.c_str(), stderr);
    std::fputc('\n', stderr);
    std::fflush(stderr);
}

const char* failed = "Failed to publish message to RabbitMQ";

void interrupted(int signum, const char* when) {
    std::fprintf(stderr, "Interrupted by signal %d%s\n", signum, when);
    std::fflush(stderr);
}

} // namespace

Application::Application(const Options& options)
    : Base(brokerAddress(options)), _channel(connection()), _reliable(_channel), _options(options),
      _settings(options.settings()), _input(this, STDIN_FILENO, EV_READ),
      _payload(_settings.compress, _settings.extractRecipients),
      _decoder(&_payload.input(), [this](size_t size) { onReady(size); }) {
    _input.start(mainLoop()->loop());
    _channel.implementation()->confirm()->onSuccess([this] { _confirming = true; });

    if (!_settings.extractRecipients && options.recipients().empty())
        throw std::runtime_error("No recipients specified");

    // Published with the mandatory flag, a message that no queue takes comes
    // back; the broker acks it all the same, so the return must be noticed.
    _channel.recall().onReturnStart([this](int16_t code, const std::string& text) {
        if (_status.settled()) return;
        _status.refused();
        std::fprintf(stderr, "RabbitMQ returned the message: %d %s\n", code, text.c_str());
        complain(failed);
    });
}

Application::~Application() = default;

void Application::onReadable(int fd) {
    long size = Input::readInto(fd, _payload.input(), _settings.ignoreDot ? nullptr : &_decoder);
    // a piece at a time: the loop turns between pieces, serving heartbeats,
    // confirms and signals while a large message is compressed
    if (size > 0) _payload.take();
    if (size == Input::later || size > 0) return;

    _input.stop();
    if (_settings.ignoreDot) return onReady(_payload.plainSize());

    complain("Reached EOF without encountering a dot");
    _status.truncated();
    finish();
}

std::string Application::recipients() const {
    std::string list;
    for (const Orvanta::Mime::Address& address : _options.recipients()) {
        if (!list.empty()) list += ',';
        list += static_cast<std::string>(address);
    }
    if (!_settings.extractRecipients) return list;

    std::string extracted;
    Tarvex::Message message(_payload.plain(), _payload.plainSize());
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
    _publishing = true;
    publication
        .onAck([this] { _status.acknowledged(); })
        // a nack carries no reason of the broker's; said as what it is, it
        // is not taken for a lost connection
        .onNack([this] {
            _status.refused();
            complain(std::string(failed) + ": the broker refused the message (nack)");
        })
        // also at once for a publication that could not even be sent
        .onError([this](const char* reason) { onFailed(reason); })
        // at once as well when it could not be sent: the connection then
        // closes before anything reached the broker
        .onFinalize([this] {
            _publishing = false;
            finish();
        });
}

uint16_t Application::onNegotiate(AMQP::TcpConnection* connection, uint16_t interval) {
    _negotiated = true;
    return Base::onNegotiate(connection, interval);
}

bool Application::established(AMQP::TcpConnection*) {
    return _confirming;
}

void Application::onBlocked(AMQP::TcpConnection*, const char* reason) {
    // how long to wait is the caller's to decide (the MTA's time-out)
    if (_blockedSaid) return;
    _blockedSaid = true;
    complain(std::string("RabbitMQ blocked the connection: ") + reason + "; waiting");
}

void Application::onError(const char* message) {
    // the connection that a signal had closed at once: what came of the
    // message was said with the signal, and the close is no broker's error
    if (_status.delivered() || _dropped) return;
    Base::onError(message);
}

bool Application::tooLarge() {
    // before the broker's tune the limit is only the one a connection starts with
    uint32_t limit = connection()->connection()->maxFrame();
    return _negotiated && limit != 0 && _headerSize > limit;
}

void Application::onFailed(const char* reason) {
    if (_status.settled()) return;
    if (tooLarge()) {
        // no broker of these settings would ever take it
        _status.rejected();
        complain(std::string(failed) + ": the message header takes " + std::to_string(_headerSize) +
                 " bytes, more than the frame size of " +
                 std::to_string(connection()->connection()->maxFrame()));
        return;
    }
    // 406 PRECONDITION_FAILED: the broker refuses the message itself, for
    // instance over its maximum message size
    if (std::strncmp(reason, "406 ", 4) == 0)
        _status.rejected();
    else
        _status.refused();
    complain(std::string(failed) + ": " + reason);
}

AMQP::DeferredPublish& Application::send(const std::string& recipients) {
    AMQP::Table headers;
    headers.set("recipients", recipients);
    if (!_settings.envelope.empty()) headers.set("envelope", _settings.envelope);

    _payload.finish();
    std::unique_ptr<AMQP::Envelope> message = _payload.envelope();
    message->setHeaders(headers);
    // kept on disk by the broker: a mail queue must survive its restart
    message->setDeliveryMode(2);

    _headerSize = AMQP::BasicHeaderFrame(0, *message).totalSize();
    return _reliable.publish(_settings.outbox.exchange(), _settings.outbox.routingKey(), *message,
                             AMQP::mandatory);
}

bool Application::onInterrupt(int signum) {
    // no more input: whatever is still to come would never be published
    _input.stop();
    if (_status.settled()) return true;
    if (_publishing && _channel.implementation()->handed() > 0) {
        // Closing now could lose the broker's confirm of a message it keeps,
        // and the retry would deliver it twice: the confirm decides, and the
        // publication's end closes the connection.
        interrupted(signum, ", waiting for RabbitMQ to confirm the message");
        return false;
    }
    // Nothing of the message reached the broker: it is still coming in, its
    // publication waits behind the handshake or the channel's open, or the
    // input ended without the dot line (which said so already). There is no
    // confirm to wait for, nor a close worth waiting for: the retry would
    // only come later.
    if (!_status.incomplete())
        interrupted(signum, _publishing ? " before the message was sent to RabbitMQ"
                                        : " before the message was complete");
    _status.refused();
    _dropped = true;
    connection()->close(true);
    return false;
}
