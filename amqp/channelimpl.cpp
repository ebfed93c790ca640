#include "amqp/channelimpl.h"

#include <optional>
#include <stdexcept>
#include <utility>

#include "amqp/connection.h"
#include "amqp/connectionimpl.h"
#include "amqp/deferred/deferred.h"
#include "amqp/deferred/deferredconfirm.h"
#include "amqp/deferred/deferreddelete.h"
#include "amqp/deferred/deferredqueue.h"
#include "amqp/deferredcancel.h"
#include "amqp/deferredconsumer.h"
#include "amqp/deferredget.h"
#include "amqp/deferredrecall.h"
#include "amqp/flags.h"
#include "amqp/frames/basicframe.h"
#include "amqp/frames/channelframe.h"
#include "amqp/frames/confirmframe.h"
#include "amqp/frames/exchangeframe.h"
#include "amqp/frames/queueframe.h"
#include "amqp/frames/transactionframe.h"
#include "amqp/framing/bodyframe.h"
#include "amqp/monitor.h"
#include "amqp/values/table.h"

namespace AMQP {

namespace {

// what became of a request frame
struct Outcome {
    bool sent;
    // a reply will follow
    bool answered;
};

} // namespace

ChannelImpl::ChannelImpl() = default;

ChannelImpl::~ChannelImpl() {
    if (_connection) _connection->remove(this);
}

bool ChannelImpl::attach(Connection* connection) {
    _connection = connection->implementation();
    _id = _connection->add(shared_from_this());
    if (_id == 0) {
        _state = closed;
        _connection = nullptr;
        return false;
    }
    _state = opening;
    if (send(ChannelOpenFrame(_id))) return true;
    _state = closed;
    _connection->remove(this);
    _connection = nullptr;
    return false;
}

template <typename FrameType, typename... Arguments>
static Outcome sendRequest(ChannelImpl& channel, Arguments&&... arguments) {
    std::optional<FrameType> frame;
    try {
        frame.emplace(channel.id(), std::forward<Arguments>(arguments)...);
    } catch (const std::runtime_error&) {
        // a name or table that cannot be encoded: the request never leaves,
        // and its result reports that as a failed send
        return {false, false};
    }
    bool sent = channel.send(*frame);
    return {sent, sent && frame->synchronous()};
}

void ChannelImpl::keep(const std::shared_ptr<Deferred>& result, bool answered) {
    // Only a result whose request went out and expects a reply joins the
    // chain: anything else there would take the reply meant for a later
    // request.
    if (answered)
        _results.push(result);
    else
        _unanswered.push_back(result);
}

template <typename FrameType, typename... Arguments>
Deferred& ChannelImpl::simple(Arguments&&... arguments) {
    Outcome outcome = sendRequest<FrameType>(*this, std::forward<Arguments>(arguments)...);
    auto result = std::make_shared<Deferred>(!outcome.sent);
    keep(result, outcome.answered);
    return *result;
}

Deferred& ChannelImpl::declareExchange(std::string_view name, ExchangeType type, int flags,
                                       const Table& arguments) {
    return simple<ExchangeDeclareFrame>(name, exchangeTypeText(type), bool(flags & passive),
                                        bool(flags & durable), bool(flags & autodelete),
                                        bool(flags & internal), bool(flags & nowait), arguments);
}

Deferred& ChannelImpl::bindExchange(std::string_view source, std::string_view target,
                                    std::string_view routingKey, const Table& arguments) {
    return simple<ExchangeBindFrame>(target, source, routingKey, false, arguments);
}

Deferred& ChannelImpl::unbindExchange(std::string_view source, std::string_view target,
                                      std::string_view routingKey, const Table& arguments) {
    return simple<ExchangeUnbindFrame>(target, source, routingKey, false, arguments);
}

Deferred& ChannelImpl::removeExchange(std::string_view name, int flags) {
    return simple<ExchangeDeleteFrame>(name, bool(flags & ifunused), false);
}

DeferredQueue& ChannelImpl::declareQueue(std::string_view name, int flags, const Table& arguments) {
    Outcome outcome =
        sendRequest<QueueDeclareFrame>(*this, name, bool(flags & passive), bool(flags & durable),
                                       bool(flags & exclusive), bool(flags & autodelete), false, arguments);
    auto result = std::make_shared<DeferredQueue>(!outcome.sent);
    keep(result, outcome.answered);
    return *result;
}

Deferred& ChannelImpl::bindQueue(std::string_view exchange, std::string_view queue,
                                 std::string_view routingKey, const Table& arguments) {
    return simple<QueueBindFrame>(queue, exchange, routingKey, false, arguments);
}

Deferred& ChannelImpl::unbindQueue(std::string_view exchange, std::string_view queue,
                                   std::string_view routingKey, const Table& arguments) {
    return simple<QueueUnbindFrame>(queue, exchange, routingKey, arguments);
}

DeferredDelete& ChannelImpl::purgeQueue(std::string_view name) {
    Outcome outcome = sendRequest<QueuePurgeFrame>(*this, name, false);
    auto result = std::make_shared<DeferredDelete>(!outcome.sent);
    keep(result, outcome.answered);
    return *result;
}

DeferredDelete& ChannelImpl::removeQueue(std::string_view name, int flags) {
    Outcome outcome =
        sendRequest<QueueDeleteFrame>(*this, name, bool(flags & ifunused), bool(flags & ifempty), false);
    auto result = std::make_shared<DeferredDelete>(!outcome.sent);
    keep(result, outcome.answered);
    return *result;
}

Deferred& ChannelImpl::setQos(uint16_t prefetchCount, bool global) {
    return simple<BasicQosFrame>(static_cast<int16_t>(prefetchCount), global);
}

DeferredConsumer& ChannelImpl::consume(std::string_view queue, std::string_view tag, int flags,
                                       const Table& arguments) {
    Outcome outcome =
        sendRequest<BasicConsumeFrame>(*this, queue, tag, bool(flags & nolocal), bool(flags & noack),
                                       bool(flags & exclusive), false, arguments);
    auto result = std::make_shared<DeferredConsumer>(this, !outcome.sent);
    keep(result, outcome.answered);
    return *result;
}

DeferredCancel& ChannelImpl::cancel(std::string_view tag) {
    Outcome outcome = sendRequest<BasicCancelFrame>(*this, tag, false);
    auto result = std::make_shared<DeferredCancel>(this, !outcome.sent);
    keep(result, outcome.answered);
    return *result;
}

DeferredGet& ChannelImpl::get(std::string_view queue, int flags) {
    Outcome outcome = sendRequest<BasicGetFrame>(*this, queue, bool(flags & noack));
    auto result = std::make_shared<DeferredGet>(this, !outcome.sent);
    keep(result, outcome.answered);
    return *result;
}

Deferred& ChannelImpl::recover(int flags) {
    return simple<BasicRecoverFrame>(bool(flags & requeue));
}

Deferred& ChannelImpl::pause() {
    return simple<ChannelFlowFrame>(false);
}

Deferred& ChannelImpl::resume() {
    return simple<ChannelFlowFrame>(true);
}

Deferred& ChannelImpl::startTransaction() {
    return simple<TransactionSelectFrame>();
}

Deferred& ChannelImpl::commitTransaction() {
    return simple<TransactionCommitFrame>();
}

Deferred& ChannelImpl::rollbackTransaction() {
    return simple<TransactionRollbackFrame>();
}

DeferredConfirm& ChannelImpl::confirmSelect() {
    bool held = waiting();
    Outcome outcome = sendRequest<ConfirmSelectFrame>(*this, false);
    if (outcome.sent && held && !_held.empty()) {
        _held.back().confirm = true;
    } else if (outcome.answered) {
        _confirmOnly = true;
        _selectWritten = true;
    }
    auto result = std::make_shared<DeferredConfirm>(!outcome.sent);
    _confirm = result;
    keep(result, outcome.answered);
    return *result;
}

Deferred& ChannelImpl::close() {
    if (!usable()) {
        // Nothing is sent. Closing already under way: failed; already
        // closed: a result that nothing will resolve.
        auto result = std::make_shared<Deferred>(_state == closing);
        _unanswered.push_back(result);
        return *result;
    }
    Outcome outcome = sendRequest<ChannelCloseFrame>(*this, 0, "", 0, 0);
    auto result = std::make_shared<Deferred>(!outcome.sent);
    keep(result, outcome.answered);
    if (outcome.sent) {
        _state = closing;
        _closing = result;
    }
    return *result;
}

bool ChannelImpl::ack(uint64_t deliveryTag, int flags) {
    return send(BasicAckFrame(_id, deliveryTag, bool(flags & multiple)));
}

bool ChannelImpl::reject(uint64_t deliveryTag, int flags) {
    if (flags & multiple) return send(BasicNackFrame(_id, deliveryTag, true, bool(flags & requeue)));
    return send(BasicRejectFrame(_id, static_cast<int64_t>(deliveryTag), bool(flags & requeue)));
}

bool ChannelImpl::publish(std::string_view exchange, std::string_view routingKey, const Envelope& envelope,
                          int flags) {
    Publication publication(_id, exchange, routingKey, envelope, flags);
    if (!publication.valid()) return false;
    if (_state == closed || _state == closing || !_connection) return false;
    bool numbered = _confirm != nullptr;
    if (passable()) return emit(publication, false, numbered);
    // the frame size may still change (the broker's tune), so the
    // publication is cut only when it leaves
    publication.hold();
    _held.push(Held{std::move(publication), false, numbered});
    return true;
}

bool ChannelImpl::emit(const Publication& publication, bool held, bool numbered) {
    if (!_connection || !publication.fits(_connection->maxFrame())) return false;
    // Straight to the connection: a publication released from the held
    // queue goes out before whatever still waits behind it there, like the
    // held frames, whatever close was asked for meanwhile.
    Monitor monitor(this);
    auto forward = [&](const Frame& frame) {
        if (!monitor.valid() || !_connection) return false;
        return held ? _connection->send(CopiedBuffer(frame)) : _connection->send(frame);
    };
    if (!forward(publication.method()) || !forward(publication.header())) return false;
    // the watch a full socket asks for may have ended the connection, which
    // detached this channel
    if (!monitor.valid() || !_connection) return false;
    bool sent = publication.sendBody(_connection->maxFrame(), [&](const BodyFrame& frame,
                                                                  const Keeper& keeper) {
        return monitor.valid() && _connection && _connection->send(frame, keeper, held);
    }) && monitor.valid();
    if (sent && numbered) ++_numbered;
    return sent;
}

DeferredRecall& ChannelImpl::recall() {
    if (!_recall) _recall = std::make_shared<DeferredRecall>(this);
    return *_recall;
}

void ChannelImpl::onError(std::function<void(const char*)> callback, bool resumable) {
    _errorCallback = std::move(callback);
    _errorResumable = resumable;
    if (usable() || !_errorCallback) return;
    auto report = _errorCallback;
    if (_state == closing)
        report("Channel is closing down");
    else if (!_connection)
        report("Channel is not linked to a connection");
    else if (_connection->ready())
        report("Channel is in an error state, but the connection is valid");
    else if (_connection->closing())
        report("Channel is in an error state, the AMQP connection is closing down");
    else if (_connection->closed())
        report("Channel is in an error state, the AMQP connection has been closed");
    else
        report("Channel is in error state, something went wrong with the AMQP connection");
}

uint64_t ChannelImpl::written() const {
    // before its handshake is over the connection holds them back itself
    return _confirming && _connection && _connection->writing() ? _numbered : 0;
}

void ChannelImpl::reportConfirming() {
    // an answer to a request not written yet is no answer
    if (_selectWritten && _connection && _connection->writing()) _confirming = true;
}

uint32_t ChannelImpl::maxFrame() const {
    // detached, nothing goes out anyway; the protocol's smallest frame limit
    // keeps callers that split bodies away from a zero payload
    return _connection ? _connection->maxFrame() : 4096;
}

uint32_t ChannelImpl::maxPayload() const {
    return _connection ? _connection->maxPayload() : 4096 - 8;
}

bool ChannelImpl::send(const Frame& frame) {
    // closing: the channel.close is out, nothing may follow it
    if (_state == closed || _state == closing || !_connection) return false;
    if (waiting()) {
        _held.push(Held{CopiedBuffer(frame)});
        return true;
    }
    Monitor monitor(this);
    if (!_connection->send(frame)) return false;
    if (!monitor.valid()) return true;
    _synchronous = frame.synchronous();
    _confirmOnly = false;
    return true;
}

bool ChannelImpl::send(CopiedBuffer&& buffer) {
    if (_state == closed || _state == closing || !_connection) return false;
    if (waiting()) {
        _held.push(Held{std::move(buffer)});
        return true;
    }
    bool synchronous = buffer.synchronous();
    Monitor monitor(this);
    if (!_connection->send(std::move(buffer))) return false;
    if (!monitor.valid()) return true;
    _synchronous = synchronous;
    _confirmOnly = false;
    return true;
}

bool ChannelImpl::flush() {
    _synchronous = false;
    _confirmOnly = false;
    Monitor monitor(this);
    while (_connection && !_held.empty() &&
           (!_synchronous || (_confirmOnly && std::holds_alternative<Publication>(_held.front().item)))) {
        bool sent = release();
        if (!monitor.valid()) return true;
        if (!sent) return false;
    }
    return true;
}

bool ChannelImpl::release() {
    if (auto* buffer = std::get_if<CopiedBuffer>(&_held.front().item)) {
        CopiedBuffer frame = std::move(*buffer);
        bool confirm = _held.front().confirm;
        _held.pop();
        bool synchronous = frame.synchronous();
        Monitor monitor(this);
        if (!_connection->send(std::move(frame))) return false;
        if (!monitor.valid()) return true;
        _synchronous = synchronous;
        _confirmOnly = synchronous && confirm;
        _selectWritten = _selectWritten || confirm;
        return true;
    }
    Publication publication = std::move(std::get<Publication>(_held.front().item));
    bool numbered = _held.front().numbered;
    _held.pop();
    if (publication.fits(_connection->maxFrame())) return emit(publication, true, numbered);
    // Announced to the caller as sent long ago, and its delivery tag
    // counted: dropping it alone would shift every later confirm. The
    // channel fails instead, and the broker is told.
    Monitor monitor(this);
    _connection->send(ChannelCloseFrame(_id, 311, headerTooLarge, 60, 40));
    if (monitor.valid()) reportError(headerTooLarge, true);
    return false;
}

void ChannelImpl::reportReady() {
    if (_state == opening) _state = ready;
    Monitor monitor(this);
    flush();
    if (!monitor.valid() || !_readyCallback) return;
    auto callback = _readyCallback;
    callback();
}

template <typename... Arguments>
bool ChannelImpl::resolve(Arguments&&... arguments) {
    if (_results.empty()) return true;
    Monitor monitor(this);
    flush();
    if (!monitor.valid()) return false;
    return _results.resolve(monitor, std::forward<Arguments>(arguments)...);
}

bool ChannelImpl::reportSuccess() {
    return resolve();
}

bool ChannelImpl::reportSuccess(const std::string& name, uint32_t messageCount, uint32_t consumerCount) {
    return resolve(name, messageCount, consumerCount);
}

bool ChannelImpl::reportSuccess(uint32_t messageCount) {
    return resolve(messageCount);
}

bool ChannelImpl::reportSuccess(uint32_t messageCount, uint64_t deliveryTag, bool redelivered) {
    return resolve(messageCount, deliveryTag, redelivered);
}

bool ChannelImpl::reportSuccess(const std::string& name) {
    return resolve(name);
}

void ChannelImpl::reportError(const char* message, bool notifyhandler) {
    // A callback of this report (a result's, the user's) may end the
    // connection, which fails the channel again from within it. The end is
    // reported once, for its first reason: the nested report tells what the
    // first had still to tell, before the connection detaches, and the
    // first then finds nothing left.
    bool nested = _ending.has_value();
    if (!nested) {
        _ending = Ending{message, notifyhandler};
        _state = closed;
        _synchronous = false;
        _confirmOnly = false;
        while (!_held.empty())
            _held.pop();
    }

    Monitor monitor(this);
    // failed results are released after every callback has run
    std::vector<std::shared_ptr<Deferred>> failed;
    if (!_results.fail(monitor, nested ? "Channel is in error state" : message, failed)) return;
    _closing.reset();

    // An error reaches the error callback; an orderly close the wrapper's:
    // what the broker still owed this channel (confirms included) will not
    // come now.
    bool again = _ending->told;
    _ending->told = true;
    const auto& callback = _ending->error ? _errorCallback : _closedCallback;
    bool resumable = _ending->error ? _errorResumable : true;
    if (callback && (!again || resumable)) {
        auto copy = callback;
        std::string reason = _ending->reason;
        copy(reason.c_str());
        if (!monitor.valid()) return;
    }
    if (!_connection) return;
    auto self = shared_from_this();
    _connection->remove(this);
    _connection = nullptr;
}

bool ChannelImpl::reportClosed(const char* message) {
    _state = closed;
    Monitor monitor(this);
    // close-ok answers our channel.close, whatever else is still pending
    if (std::shared_ptr<Deferred> closing = std::move(_closing)) {
        _results.unlink(closing.get());
        closing->reportSuccess();
        if (!monitor.valid()) return false;
    }
    reportError(message, false);
    return true;
}

void ChannelImpl::reportCancelled(const std::string& consumerTag) {
    auto found = _consumers.find(consumerTag);
    if (found == _consumers.end()) return;
    std::shared_ptr<DeferredConsumer> consumer = found->second;
    _consumers.erase(found);
    consumer->reportCancelled(consumerTag);
}

void ChannelImpl::reportUnexpected(const char* message, uint16_t code, uint16_t classId, uint16_t methodId) {
    _receiver.reset();
    Monitor monitor(this);
    // the broker would go on delivering on a channel we no longer know
    if (_connection) _connection->send(ChannelCloseFrame(_id, code, message, classId, methodId));
    if (monitor.valid()) reportError(message, true);
}

DeferredConsumer* ChannelImpl::consumer(const std::string& tag) const {
    auto found = _consumers.find(tag);
    return found == _consumers.end() ? nullptr : found->second.get();
}

void ChannelImpl::install(const std::string& consumerTag, const std::shared_ptr<DeferredConsumer>& consumer) {
    _consumers[consumerTag] = consumer;
}

void ChannelImpl::uninstall(const std::string& consumerTag) {
    _consumers.erase(consumerTag);
}

} // namespace AMQP
