// The protocol side of one AMQP connection, independent of any socket: the
// handshake, held frames, the channel table and numbers, the frame-size limit,
// heartbeats and the orderly close.
#pragma once

#include <cstdint>
#include <memory>
#include <queue>
#include <string>
#include <unordered_map>

#include "amqp/buffers/outpiece.h"
#include "amqp/framing/copiedbuffer.h"
#include "amqp/login.h"
#include "amqp/watchable.h"

namespace AMQP {

class BodyFrame;
class Buffer;
class ChannelImpl;
class Connection;
class ConnectionHandler;
class Frame;
class Table;

class ConnectionImpl : public Watchable {
public:
    // sends the protocol header through the handler at once
    ConnectionImpl(Connection* parent, ConnectionHandler* handler, const Login& login,
                   const std::string& vhost);
    ConnectionImpl(const ConnectionImpl&) = delete;
    ConnectionImpl& operator=(const ConnectionImpl&) = delete;
    // closes (the close frame may still reach the handler), then detaches the
    // channels
    ~ConnectionImpl() override;

    // processes the complete frames at the start of buffer; returns the bytes
    // consumed
    uint64_t parse(const Buffer& buffer);

    bool close();
    // the transport lost or gave up the connection
    bool fail(const char* message);
    bool heartbeat();

    // the channel table
    std::shared_ptr<ChannelImpl> channel(int id) const;
    // the new channel's number, 0 when none is free
    uint16_t add(const std::shared_ptr<ChannelImpl>& channel);
    void remove(const ChannelImpl* channel);

    bool send(const Frame& frame);
    // a body frame whose payload keeper holds alive (or nobody, when empty):
    // written as header, payload and end marker in one go, the payload not
    // copied. held: a channel held it back since before any close request,
    // which it is therefore not subject to.
    bool send(const BodyFrame& frame, const Keeper& keeper, bool held = false);
    // a frame a channel held back; not subject to the close request
    bool send(CopiedBuffer&& buffer);

    uint32_t maxFrame() const { return _maxFrame; }
    // the largest body one content body frame may carry
    uint32_t maxPayload() const;
    uint32_t expected() const { return _expected; }
    const Login& login() const { return _login; }
    const std::string& vhost() const { return _vhost; }
    Connection* parent() const { return _parent; }

    bool usable() const { return _state <= connected && !_closeRequested; }
    bool ready() const { return _state == connected; }
    bool closing() const { return _state == closingDown; }
    bool closed() const { return _state == closedDown; }
    // frames sent now are written at once, and none sent before still waits
    bool writing() const { return (_state == connected || _state == closingDown) && _held.empty(); }
    // the peer's bytes could not be framed: nothing more may be sent
    bool severed() const { return _severed; }
    bool waiting() const;
    bool waitingChannels() const;

    // Steps of the handshake and events, called by received frames.
    // onProperties ran and the connection still exists
    bool setProtocolOk(const Table& server, Table& client);
    void setCapacity(uint16_t channels, uint32_t frameSize);
    uint16_t setHeartbeat(uint16_t interval);
    void setReady();
    void reportError(const char* message);
    void reportClosed();
    void reportBlocked(const char* reason);
    void reportUnblocked();
    void reportHeartbeat();

private:
    enum State { protocol, handshake, connected, closingDown, closedDown };

    void sendClose();
    // whether send() may take the frame at all
    bool accepts(const Frame& frame, bool held = false) const;
    // every channel fails with message, first in the table first
    void failChannels(const char* message);
    // the close frame goes out when it was requested and nothing else waits
    void closeWhenIdle();

    Connection* _parent;
    ConnectionHandler* _handler;
    State _state = protocol;
    bool _closeRequested = false;
    bool _severed = false;
    std::unordered_map<uint16_t, std::shared_ptr<ChannelImpl>> _channels;
    uint16_t _nextChannel = 1;
    uint16_t _maxChannels = 0;
    uint32_t _maxFrame = 4096;
    uint32_t _expected = 7;
    Login _login;
    std::string _vhost;
    std::queue<CopiedBuffer> _held;
};

} // namespace AMQP
