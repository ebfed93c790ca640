// A loopback proxy in front of the private broker, for tests of a broker that
// stops answering: it forwards one connection both ways until it is frozen,
// and then passes nothing more from the broker (what the client sends still
// reaches it). It can also make the broker propose another heartbeat interval
// or a smaller frame size, lose one of its methods, pass the client's bytes
// slowly, say that it blocked the connection, keep the client's socket open
// after the broker closed its own, freeze once a confirm passed, or flip a
// bit of the delivery tags that the broker confirms.
#pragma once

#include <atomic>
#include <cstdint>
#include <mutex>
#include <string>
#include <thread>

namespace Orvanta::Test {

class BrokerProxy {
public:
    // freezeOnPublish: freezes itself as soon as the client's first
    // basic.publish passes, before the broker can confirm it
    explicit BrokerProxy(bool freezeOnPublish = false);
    ~BrokerProxy();
    BrokerProxy(const BrokerProxy&) = delete;
    BrokerProxy& operator=(const BrokerProxy&) = delete;

    int port() const { return _port; }
    // the private broker's address with the proxy's port
    std::string address() const;

    void freeze() { _frozen = true; }
    void thaw() { _frozen = false; }
    // Before the client connects: the broker's connection.tune proposes
    // this many seconds between heartbeats instead of its own (0: none).
    void heartbeat(uint16_t seconds) { _heartbeat = seconds; }
    // Before the client connects: the broker's connection.tune grants frames
    // of this many bytes instead of its own size (which must be larger).
    void frameMax(uint32_t bytes) { _frameMax = bytes; }
    // Before the client connects: once the broker has closed its side, the
    // client's socket stays open, a peer that never ends the connection.
    void keepClientOpen() { _keepClientOpen = true; }
    // The delivery tag of every basic.ack and basic.nack from the broker
    // has bit 12 flipped on the way: tag 1 arrives as 4097.
    void corruptConfirms() { _corruptConfirms = true; }
    // Before the client connects: a basic.ack of delivery tag 1 on channel
    // 1 reaches the client right after the broker's method classId.methodId,
    // in the same write, before the broker could have confirmed anything.
    void confirmEarly(uint16_t classId, uint16_t methodId) {
        _confirmEarly = uint32_t(classId) << 16 | methodId;
    }
    // Freezes itself as soon as the broker's first basic.ack has passed:
    // the client never hears the close-ok that follows.
    void freezeAfterConfirm() { _freezeAfterConfirm = true; }
    // Before the client connects: the broker's method classId.methodId
    // (connection.open-ok is 10.41) is lost on the way; what follows it,
    // heartbeats too, passes.
    void drop(uint16_t classId, uint16_t methodId) { _drop = uint32_t(classId) << 16 | methodId; }
    // What the client sends passes slowly, a few KiB at a time: a relay
    // that cannot keep up, so that the client's output waits in its queue.
    void slow() { _slow = true; }
    // Sends the client connection.blocked with this reason, between two of
    // the broker's frames.
    void block(const std::string& reason);
    // whether a basic.publish went through
    bool published() const { return _published; }
    // whether the client sent connection.open: the broker's tune is over
    bool tuned() const { return _tuned; }
    // whether the client sent channel.open: the broker's connection.open-ok
    // reached it
    bool opening() const { return _opening; }

private:
    void run();
    // looks for basic.publish in what the client sent so far
    void inspect(std::string& pending);
    // Sends the whole frames of what the broker sent so far to the client,
    // with the heartbeat proposal replaced; false when the client is gone.
    bool forward(int client, std::string& pending);
    // sends a connection.blocked that block() asked for
    bool sendBlocked(int client);

    int _listener = -1;
    int _port = 0;
    bool _freezeOnPublish;
    std::atomic<bool> _stop{false};
    std::atomic<bool> _frozen{false};
    std::atomic<bool> _published{false};
    std::atomic<bool> _tuned{false};
    std::atomic<bool> _opening{false};
    // the heartbeat interval proposed instead of the broker's; -1: the broker's
    std::atomic<int> _heartbeat{-1};
    // the frame size granted instead of the broker's; 0: the broker's
    std::atomic<uint32_t> _frameMax{0};
    std::atomic<bool> _keepClientOpen{false};
    std::atomic<bool> _corruptConfirms{false};
    // the method after which a confirm comes too early; 0: none
    std::atomic<uint32_t> _confirmEarly{0};
    std::atomic<bool> _freezeAfterConfirm{false};
    std::atomic<bool> _slow{false};
    // the method to lose, class id and method id; 0: none
    std::atomic<uint32_t> _drop{0};
    std::mutex _mutex;
    // the reason of a connection.blocked still to send; guarded by _mutex
    std::string _blocked;
    std::atomic<bool> _blocking{false};
    // whether the 8-byte protocol header has gone by
    bool _greeted = false;
    std::thread _thread;
};

} // namespace Orvanta::Test
