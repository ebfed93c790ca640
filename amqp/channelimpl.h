// One AMQP channel over a connection: turns operations into method frames,
// keeps the chain of pending results that replies resolve in order, holds
// frames back behind a request that waits for its reply, and follows the
// channel's states.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <queue>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "amqp/exchangetype.h"
#include "amqp/framing/copiedbuffer.h"
#include "amqp/publication.h"
#include "amqp/resultchain.h"
#include "amqp/watchable.h"

namespace AMQP {

class Connection;
class ConnectionImpl;
class Deferred;
class DeferredCancel;
class DeferredConfirm;
class DeferredConsumer;
class DeferredDelete;
class DeferredGet;
class DeferredQueue;
class DeferredRecall;
class DeferredReceiver;
class Envelope;
class Frame;
class Table;

class ChannelImpl : public Watchable, public std::enable_shared_from_this<ChannelImpl> {
public:
    // the channel's error when a publication that had to wait turns out
    // to have a content header larger than the frames the broker allows
    static constexpr const char* headerTooLarge = "message properties exceed the broker's frame size";

    ChannelImpl();
    ChannelImpl(const ChannelImpl&) = delete;
    ChannelImpl& operator=(const ChannelImpl&) = delete;
    ~ChannelImpl() override;

    // takes a number from the connection and sends channel.open
    bool attach(Connection* connection);
    // the connection is going away
    void detach() { _connection = nullptr; }

    Deferred& declareExchange(std::string_view name, ExchangeType type, int flags, const Table& arguments);
    Deferred& bindExchange(std::string_view source, std::string_view target, std::string_view routingKey,
                           const Table& arguments);
    Deferred& unbindExchange(std::string_view source, std::string_view target, std::string_view routingKey,
                             const Table& arguments);
    Deferred& removeExchange(std::string_view name, int flags);
    DeferredQueue& declareQueue(std::string_view name, int flags, const Table& arguments);
    Deferred& bindQueue(std::string_view exchange, std::string_view queue, std::string_view routingKey,
                        const Table& arguments);
    Deferred& unbindQueue(std::string_view exchange, std::string_view queue, std::string_view routingKey,
                          const Table& arguments);
    DeferredDelete& purgeQueue(std::string_view name);
    DeferredDelete& removeQueue(std::string_view name, int flags);
    Deferred& setQos(uint16_t prefetchCount, bool global);
    DeferredConsumer& consume(std::string_view queue, std::string_view tag, int flags,
                              const Table& arguments);
    DeferredCancel& cancel(std::string_view tag);
    DeferredGet& get(std::string_view queue, int flags);
    Deferred& recover(int flags);
    Deferred& pause();
    Deferred& resume();
    Deferred& startTransaction();
    Deferred& commitTransaction();
    Deferred& rollbackTransaction();
    DeferredConfirm& confirmSelect();
    Deferred& close();
    bool ack(uint64_t deliveryTag, int flags);
    bool reject(uint64_t deliveryTag, int flags);
    // basic.publish, the content header and the body frames, or nothing
    // when they could not all go out. While the channel waits for a reply
    // the publication is held whole and cut into frames when it leaves.
    bool publish(std::string_view exchange, std::string_view routingKey, const Envelope& envelope, int flags);
    DeferredRecall& recall();

    void onReady(std::function<void()> callback) { _readyCallback = std::move(callback); }
    // called at once with the reason when the channel is no longer usable;
    // a wrapper's callback is resumable: it hears the channel's end again
    // when a callback of its own report ends the connection, and settles
    // there, before the connection detaches, what it had still to report
    void onError(std::function<void(const char*)> callback, bool resumable = false);
    const std::function<void(const char*)>& onError() const { return _errorCallback; }
    // called with the reason when the channel closes in order (its own
    // close-ok, or the close of its connection), which calls no error
    // callback: a wrapper settles there what the broker will not answer now
    void onClosed(std::function<void(const char*)> callback) { _closedCallback = std::move(callback); }

    bool usable() const { return _state == opening || _state == ready; }
    bool waiting() const { return _synchronous || !_held.empty(); }
    // a publication may leave now
    bool passable() const { return !waiting() || (_confirmOnly && _held.empty()); }
    uint16_t id() const { return _id; }
    // publications written to the connection in confirm mode: the broker's
    // delivery tags name these, and only these, once it has answered the
    // confirm.select (its confirms come after that answer)
    uint64_t written() const;
    // publications of confirm mode handed to the connection so far; none
    // while they wait behind the channel's open
    uint64_t handed() const { return _numbered; }
    uint32_t maxPayload() const;
    uint32_t maxFrame() const;

    bool send(const Frame& frame);
    bool send(CopiedBuffer&& buffer);
    // a reply arrived: the held frames go out until one waits again
    bool flush();

    void reportReady();
    // the broker's confirm.select-ok
    void reportConfirming();
    bool reportSuccess();
    bool reportSuccess(const std::string& name, uint32_t messageCount, uint32_t consumerCount);
    bool reportSuccess(uint32_t messageCount);
    bool reportSuccess(uint32_t messageCount, uint64_t deliveryTag, bool redelivered);
    bool reportSuccess(const std::string& name);
    void reportError(const char* message, bool notifyhandler);
    // the channel is closed in order, by its close-ok or, with another
    // reason, by the close of its connection
    bool reportClosed(const char* message = "Channel has been closed");
    void reportCancelled(const std::string& consumerTag);
    // the message now arriving breaks the protocol: the broker is told, with
    // the reply code and the failing method when known, and the channel
    // fails with message
    void reportUnexpected(const char* message, uint16_t code = 505, uint16_t classId = 0,
                          uint16_t methodId = 0);

    DeferredConsumer* consumer(const std::string& tag) const;
    DeferredReceiver* receiver() const { return _receiver.get(); }
    DeferredConfirm* confirm() const { return _confirm.get(); }
    DeferredRecall* recalls() const { return _recall.get(); }

    void install(const std::string& consumerTag, const std::shared_ptr<DeferredConsumer>& consumer);
    void install(const std::shared_ptr<DeferredReceiver>& receiver) { _receiver = receiver; }
    void uninstall(const std::string& consumerTag);

private:
    enum State { opening, ready, closing, closed };

    // sends the request built from arguments; its plain result
    template <typename FrameType, typename... Arguments>
    Deferred& simple(Arguments&&... arguments);
    // keeps a new result: chained when a reply will resolve it
    void keep(const std::shared_ptr<Deferred>& result, bool answered);
    // resolves the oldest pending result with the reply's values
    template <typename... Arguments>
    bool resolve(Arguments&&... arguments);
    // writes the publication's frames, cut with the connection's frame size;
    // held: it waited since before any close request; numbered: published
    // in confirm mode, so the broker gives it a delivery tag
    bool emit(const Publication& publication, bool held, bool numbered);
    // sends the oldest held frame or publication; false when refused
    bool release();

    ConnectionImpl* _connection = nullptr;
    std::function<void()> _readyCallback;
    std::function<void(const char*)> _errorCallback;
    bool _errorResumable = false;
    // a wrapper's, so always resumable
    std::function<void(const char*)> _closedCallback;
    std::shared_ptr<DeferredRecall> _recall;
    std::shared_ptr<DeferredConfirm> _confirm;
    std::map<std::string, std::shared_ptr<DeferredConsumer>> _consumers;
    ResultChain _results;
    uint16_t _id = 0;
    State _state = closed;
    // a frame or a whole publication waiting behind a request
    struct Held {
        std::variant<CopiedBuffer, Publication> item;
        // the frame is confirm.select
        bool confirm = false;
        // a publication made in confirm mode
        bool numbered = false;
    };
    std::queue<Held> _held;
    bool _synchronous = false;
    // publications of confirm mode handed to the connection
    uint64_t _numbered = 0;
    // the confirm.select was written, and then the broker answered it
    bool _selectWritten = false;
    bool _confirming = false;
    // The reply waited for is confirm.select-ok, which publications need not
    // wait for: the broker takes them in order, in confirm mode already.
    // Saves a round trip before the first message.
    bool _confirmOnly = false;
    std::shared_ptr<DeferredReceiver> _receiver;
    // the result of close(), which channel.close-ok resolves
    std::shared_ptr<Deferred> _closing;
    // results of requests that no reply answers (no-wait): kept for the
    // caller, never chained
    std::vector<std::shared_ptr<Deferred>> _unanswered;
    // the end of the channel, once it is reported: its first reason, and
    // whether it is an error (or an orderly close)
    struct Ending {
        std::string reason;
        bool error;
        // its callback was called
        bool told = false;
    };
    std::optional<Ending> _ending;
};

} // namespace AMQP
