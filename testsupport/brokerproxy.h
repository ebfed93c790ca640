// A loopback proxy in front of the private broker, for tests of a broker that
// stops answering: it forwards one connection both ways until it is frozen,
// and then passes nothing more from the broker (what the client sends still
// reaches it).
#pragma once

#include <atomic>
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
    // whether a basic.publish went through
    bool published() const { return _published; }
    // whether the client sent connection.open: the broker's tune is over
    bool tuned() const { return _tuned; }

private:
    void run();
    // looks for basic.publish in what the client sent so far
    void inspect(std::string& pending);

    int _listener = -1;
    int _port = 0;
    bool _freezeOnPublish;
    std::atomic<bool> _stop{false};
    std::atomic<bool> _frozen{false};
    std::atomic<bool> _published{false};
    std::atomic<bool> _tuned{false};
    // whether the 8-byte protocol header has gone by
    bool _greeted = false;
    std::thread _thread;
};

} // namespace Orvanta::Test
