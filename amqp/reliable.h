// Publisher confirms with one result per message: each publication returns a
// DeferredPublish that the broker's ack or nack, or a channel error, resolves.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <string_view>
#include <utility>
#include <vector>

#include "amqp/deferred/deferredpublish.h"
#include "amqp/monitor.h"
#include "amqp/tagger.h"

namespace AMQP {

template <typename Base = Tagger>
class Reliable : public Base {
public:
    using Base::Base;
    // releases the outstanding results in tag order; none is settled
    ~Reliable() override {
        for (auto& entry : _handlers)
            entry.second.reset();
    }

    // the result of this message; one that could not be sent has failed
    // already and is kept apart from the outstanding ones
    DeferredPublish& publish(std::string_view exchange, std::string_view routingKey, const Envelope& envelope,
                             int flags = 0) {
        uint64_t tag = Base::publish(exchange, routingKey, envelope, flags);
        auto handler = std::make_shared<DeferredPublish>(tag == 0);
        if (tag == 0) {
            // never stored under a tag: nothing outstanding, nothing a later
            // multiple ack or channel error could resolve again. Its caller
            // installs its callbacks on the reference returned here, maybe
            // after later publications: it lives as long as this object.
            _refused.push_back(handler);
            return *handler;
        }
        _handlers[tag] = handler;
        return *handler;
    }

    size_t unacknowledged() const override { return _handlers.size(); }

protected:
    void onAck(uint64_t deliveryTag, bool multiple) override {
        if (!settle(deliveryTag, multiple, [](DeferredPublish& handler) { handler.reportAck(); })) return;
        Base::onAck(deliveryTag, multiple);
    }

    void onNack(uint64_t deliveryTag, bool multiple) override {
        if (!settle(deliveryTag, multiple, [](DeferredPublish& handler) { handler.reportNack(); })) return;
        Base::onNack(deliveryTag, multiple);
    }

    void reportError(const char* message) override {
        failOutstanding(message, [this, message] { Base::reportError(message); });
    }

    // Closed in order, by this channel's close or its connection's: the
    // broker confirms nothing after that, so what it did not confirm
    // before fails with the reason.
    void reportClosed(const char* message) override {
        failOutstanding(message, [this, message] { Base::reportClosed(message); });
    }

private:
    // Fails every outstanding publication with message, then runs then.
    // Each stays outstanding until its report is over: a callback that ends
    // the connection (or throws) has the channel's end reported again,
    // nested, and that report finishes it and fails the rest before the
    // connection detaches.
    template <typename Then>
    void failOutstanding(const char* message, Then then) {
        Monitor monitor(this);
        // released after every callback, the user's channel error callback
        // included, has run
        std::vector<std::shared_ptr<DeferredPublish>> failed;
        while (!_handlers.empty()) {
            auto oldest = _handlers.begin();
            uint64_t tag = oldest->first;
            failed.push_back(oldest->second);
            failed.back()->reportFailure(message);
            if (!monitor.valid()) return;
            _handlers.erase(tag);
        }
        then();
        if (!monitor.valid()) return;
        for (auto& handler : failed)
            handler.reset();
    }

    // reports the settled entries one by one, each outstanding until its
    // report is over (as above); false when a callback destroyed this object
    template <typename Report>
    bool settle(uint64_t deliveryTag, bool multiple, Report report) {
        Monitor monitor(this);
        while (monitor.valid() && !_handlers.empty()) {
            auto found = multiple ? _handlers.begin() : _handlers.find(deliveryTag);
            if (found == _handlers.end() || found->first > deliveryTag) break;
            uint64_t tag = found->first;
            std::shared_ptr<DeferredPublish> handler = found->second;
            report(*handler);
            if (!monitor.valid()) break;
            _handlers.erase(tag);
            // the finalize callback runs here when nobody else holds it
            handler.reset();
            if (!multiple) break;
        }
        return monitor.valid();
    }

    std::map<uint64_t, std::shared_ptr<DeferredPublish>> _handlers;
    std::vector<std::shared_ptr<DeferredPublish>> _refused;
};

} // namespace AMQP
