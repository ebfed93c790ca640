#include "amqp/connectionimpl.h"

#include <algorithm>
#include <cstring>
#include <utility>
#include <vector>

#include "amqp/buffers/buffer.h"
#include "amqp/buffers/protocolexception.h"
#include "amqp/buffers/reducedbuffer.h"
#include "amqp/channelimpl.h"
#include "amqp/connectionhandler.h"
#include "amqp/frameprocessor.h"
#include "amqp/frames/connectionframe.h"
#include "amqp/framing/bodyframe.h"
#include "amqp/framing/heartbeatframe.h"
#include "amqp/framing/passthroughbuffer.h"
#include "amqp/framing/protocolheaderframe.h"
#include "amqp/framing/receivedframe.h"
#include "amqp/monitor.h"

namespace AMQP {

ConnectionImpl::ConnectionImpl(Connection* parent, ConnectionHandler* handler, const Login& login,
                               const std::string& vhost)
    : _parent(parent), _handler(handler), _login(login), _vhost(vhost) {
    send(ProtocolHeaderFrame());
}

ConnectionImpl::~ConnectionImpl() {
    close();
    for (auto& entry : _channels)
        entry.second->detach();
}

uint64_t ConnectionImpl::parse(const Buffer& buffer) {
    if (_state == closedDown) return 0;
    Monitor monitor(this);
    FrameProcessor processor(this);
    uint64_t consumed = 0;
    try {
        // a connection that ends in this pass reads nothing after its end
        while (consumed < buffer.size() && monitor.valid() && _state != closedDown) {
            ReducedBuffer rest(buffer, consumed);
            ReceivedFrame frame(rest, _maxFrame);
            if (!frame.complete()) {
                _expected = frame.header() ? frame.totalSize() : 7;
                return consumed;
            }
            frame.dispatch(processor);
            consumed += frame.totalSize();
        }
    } catch (const ProtocolException& exception) {
        // The stream is out of step from here on: the connection is failed
        // for good, so bytes offered again are never read as frames.
        if (!monitor.valid()) return consumed;
        _severed = dynamic_cast<const FramingException*>(&exception) != nullptr;
        std::string message = exception.what();
        reportError(message.c_str());
        return consumed;
    }
    if (!monitor.valid()) return consumed;
    _expected = 7;
    closeWhenIdle();
    return consumed;
}

bool ConnectionImpl::close() {
    if (_closeRequested || _state == closedDown) return false;
    _closeRequested = true;

    Monitor monitor(this);
    std::vector<std::shared_ptr<ChannelImpl>> channels;
    channels.reserve(_channels.size());
    for (auto& entry : _channels)
        channels.push_back(entry.second);

    size_t waiting = 0;
    for (auto& channel : channels) {
        channel->close();
        if (!monitor.valid()) return true;
        if (channel->waiting()) ++waiting;
    }
    if (waiting == 0 && _state == connected) sendClose();
    return true;
}

bool ConnectionImpl::fail(const char* message) {
    if (_state == closedDown) return false;
    _state = closedDown;
    failChannels(message);
    return true;
}

bool ConnectionImpl::heartbeat() {
    return send(HeartbeatFrame());
}

std::shared_ptr<ChannelImpl> ConnectionImpl::channel(int id) const {
    auto found = _channels.find(static_cast<uint16_t>(id));
    if (id < 0 || id > UINT16_MAX || found == _channels.end()) return {};
    return found->second;
}

uint16_t ConnectionImpl::add(const std::shared_ptr<ChannelImpl>& channel) {
    if (_maxChannels != 0 && _channels.size() >= _maxChannels) return 0;
    // every number but 0 once at most: with all of them in use there is
    // nothing to give
    for (uint32_t tries = 0; tries <= UINT16_MAX; ++tries) {
        uint16_t id = _nextChannel++;
        if (id == 0 || _channels.count(id)) continue;
        _channels.emplace(id, channel);
        return id;
    }
    return 0;
}

void ConnectionImpl::remove(const ChannelImpl* channel) {
    if (!channel || channel->id() == 0) return;
    auto found = _channels.find(channel->id());
    if (found == _channels.end() || found->second.get() != channel) return;
    // the entry leaves the table before our share goes, so a channel whose
    // destructor runs now finds itself gone already
    std::shared_ptr<ChannelImpl> share = std::move(found->second);
    _channels.erase(found);
}

bool ConnectionImpl::accepts(const Frame& frame, bool held) const {
    if (_state == closingDown || _state == closedDown) return false;
    if (!held && _closeRequested && !frame.partOfShutdown() && !frame.partOfHandshake()) return false;
    return _maxFrame == 0 || frame.totalSize() <= _maxFrame;
}

bool ConnectionImpl::send(const Frame& frame) {
    if (!accepts(frame)) return false;
    if ((_state == connected && _held.empty()) || frame.partOfHandshake()) {
        PassthroughBuffer buffer(_parent, _handler, frame);
        return true;
    }
    _held.emplace(frame);
    return true;
}

namespace {

// the 7 header bytes of a frame, written by the frame itself
class HeadBuffer : public OutBuffer {
public:
    void append(const void* data, size_t size) override {
        size = std::min(size, sizeof bytes - used);
        std::memcpy(bytes + used, data, size);
        used += size;
    }
    char bytes[ExtFrame::headerSize()];
    size_t used = 0;
};

} // namespace

bool ConnectionImpl::send(const BodyFrame& frame, const Keeper& keeper, bool held) {
    if (!accepts(frame, held)) return false;
    if (_state != connected || !_held.empty()) {
        _held.emplace(frame);
        return true;
    }
    HeadBuffer head;
    frame.ExtFrame::fill(head);
    static const char end = static_cast<char>(frameEnd);
    const OutPiece pieces[] = {{head.bytes, head.used, false},
                               {frame.payload(), frame.payloadSize(), bool(keeper)},
                               {&end, 1, false}};
    _handler->onPieces(_parent, pieces, 3, keeper);
    return true;
}

bool ConnectionImpl::send(CopiedBuffer&& buffer) {
    if (_state != connected) return false;
    if (_held.empty())
        _handler->onData(_parent, buffer.data(), buffer.size());
    else
        _held.push(std::move(buffer));
    return true;
}

uint32_t ConnectionImpl::maxPayload() const {
    return _maxFrame == 0 ? ExtFrame::maxPayloadSize()
                          : _maxFrame - ExtFrame::headerSize() - ExtFrame::trailerSize();
}

bool ConnectionImpl::waitingChannels() const {
    for (auto& entry : _channels)
        if (entry.second->waiting()) return true;
    return false;
}

bool ConnectionImpl::waiting() const {
    if (_state == protocol || _state == handshake || _state == closingDown) return true;
    return waitingChannels();
}

bool ConnectionImpl::setProtocolOk(const Table& server, Table& client) {
    Monitor monitor(this);
    _handler->onProperties(_parent, server, client);
    if (!monitor.valid()) return false;
    if (_state == protocol) _state = handshake;
    return true;
}

void ConnectionImpl::setCapacity(uint16_t channels, uint32_t frameSize) {
    _maxChannels = channels;
    _maxFrame = frameSize;
}

uint16_t ConnectionImpl::setHeartbeat(uint16_t interval) {
    return _handler->onNegotiate(_parent, interval);
}

void ConnectionImpl::setReady() {
    _state = connected;
    Monitor monitor(this);
    _handler->onReady(_parent);
    if (!monitor.valid()) return;
    // The front frame stays queued while the handler has it, so a frame
    // sent from inside the callback joins the back and keeps its place.
    while (!_held.empty()) {
        const CopiedBuffer& front = _held.front();
        _handler->onData(_parent, front.data(), front.size());
        if (!monitor.valid()) return;
        _held.pop();
    }
    closeWhenIdle();
}

void ConnectionImpl::reportError(const char* message) {
    // A protocol error or the broker's connection.close: either way the
    // connection is over, and nothing new may start on it.
    _state = closedDown;
    Monitor monitor(this);
    failChannels(message);
    if (monitor.valid()) _handler->onError(_parent, message);
}

void ConnectionImpl::reportClosed() {
    _state = closedDown;
    Monitor monitor(this);
    // A channel whose own close could not go out closes with the
    // connection: what it still waits for is settled, as after its own
    // close-ok, not left waiting for a broker that is gone.
    while (monitor.valid() && !_channels.empty()) {
        std::shared_ptr<ChannelImpl> channel = _channels.begin()->second;
        channel->reportClosed("Connection has been closed");
        if (monitor.valid()) remove(channel.get());
    }
    if (monitor.valid()) _handler->onClosed(_parent);
}

void ConnectionImpl::reportBlocked(const char* reason) {
    _handler->onBlocked(_parent, reason);
}

void ConnectionImpl::reportUnblocked() {
    _handler->onUnblocked(_parent);
}

void ConnectionImpl::reportHeartbeat() {
    _handler->onHeartbeat(_parent);
}

void ConnectionImpl::sendClose() {
    Monitor monitor(this);
    send(ConnectionCloseFrame(0, "shutdown", 0, 0));
    if (monitor.valid()) _state = closingDown;
}

void ConnectionImpl::failChannels(const char* message) {
    Monitor monitor(this);
    while (monitor.valid() && !_channels.empty()) {
        std::shared_ptr<ChannelImpl> channel = _channels.begin()->second;
        channel->reportError(message, true);
        // the channel leaves the table itself; this only makes sure the
        // loop ends whatever its callbacks did
        if (monitor.valid()) remove(channel.get());
    }
}

void ConnectionImpl::closeWhenIdle() {
    if (_closeRequested && _state == connected && !waitingChannels()) sendClose();
}

} // namespace AMQP
