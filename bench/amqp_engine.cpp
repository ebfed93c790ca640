// The protocol engine's own cost per message: confirmed publications through
// Reliable<Tagger> onto a handler that discards the bytes, settled by broker
// acks parsed from memory, and the parse of incoming deliveries.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <memory>
#include <string>

#include "amqp/buffers/bytebuffer.h"
#include "amqp/buffers/outbuffer.h"
#include "amqp/channel.h"
#include "amqp/connection.h"
#include "amqp/connectionhandler.h"
#include "amqp/deferredconsumer.h"
#include "amqp/frames/basicframe.h"
#include "amqp/frames/channelframe.h"
#include "amqp/frames/confirmframe.h"
#include "amqp/frames/connectionframe.h"
#include "amqp/framing/basicheaderframe.h"
#include "amqp/framing/bodyframe.h"
#include "amqp/login.h"
#include "amqp/reliable.h"
#include "amqp/tests/stringsink.h"
#include "amqp/values/envelope.h"
#include "amqp/values/message.h"
#include "amqp/values/table.h"

using AMQP::Test::feed;
using AMQP::Test::received;

namespace {

class Discard : public AMQP::ConnectionHandler {
public:
    void onData(AMQP::Connection*, const char*, size_t size) override { written += size; }
    uint64_t written = 0;
};

// a connection after the handshake with channel 1 open
struct Ready {
    Ready() : connection(&handler, AMQP::Login("user", "password"), "/") {
        feed(connection, received(AMQP::ConnectionStartFrame(0, 9, AMQP::Table(), "PLAIN", "en_US")) +
                             received(AMQP::ConnectionTuneFrame(0, 131072, 0)) +
                             received(AMQP::ConnectionOpenOKFrame()));
        channel = std::make_unique<AMQP::Channel>(&connection);
        feed(connection, received(AMQP::ChannelOpenOKFrame(1)));
    }
    Discard handler;
    AMQP::Connection connection;
    std::unique_ptr<AMQP::Channel> channel;
};

void ConfirmedPublish(benchmark::State& state) {
    Ready ready;
    AMQP::Reliable<AMQP::Tagger> reliable(*ready.channel);
    feed(ready.connection, received(AMQP::ConfirmSelectOKFrame(1)));
    std::string body(static_cast<size_t>(state.range(0)), 'm');
    AMQP::Envelope envelope(body.data(), body.size());
    AMQP::Table headers;
    headers.set("recipients", "a@example.org,b@example.org");
    envelope.setHeaders(headers);
    uint64_t tag = 0;
    for (auto _ : state) {
        reliable.publish("outbox", "mail", envelope).onNackOrError([] {});
        // one multiple ack settles every 64 publications
        if (++tag % 64 == 0) feed(ready.connection, received(AMQP::BasicAckFrame(1, tag, true)));
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * state.range(0));
    state.SetItemsProcessed(static_cast<int64_t>(state.iterations()));
}
BENCHMARK(ConfirmedPublish)->Arg(1024)->Arg(1 << 20);

void ConsumeDeliveries(benchmark::State& state) {
    Ready ready;
    uint64_t seen = 0;
    ready.channel->consume("mails", "c").onMessage([&](const AMQP::Message& message, uint64_t, bool) {
        seen += message.bodySize();
    });
    feed(ready.connection, received(AMQP::BasicConsumeOKFrame(1, "c")));
    std::string body(static_cast<size_t>(state.range(0)), 'm');
    AMQP::Envelope envelope(body.data(), body.size());
    std::string delivery = received(AMQP::BasicDeliverFrame(1, "c", 1, false, "outbox", "mail")) +
                           received(AMQP::BasicHeaderFrame(1, envelope)) +
                           received(AMQP::BodyFrame(1, body.data(), static_cast<uint32_t>(body.size())));
    for (auto _ : state)
        feed(ready.connection, delivery);
    benchmark::DoNotOptimize(seen);
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * state.range(0));
    state.SetItemsProcessed(static_cast<int64_t>(state.iterations()));
}
BENCHMARK(ConsumeDeliveries)->Arg(1024)->Arg(65536);

} // namespace

BENCHMARK_MAIN();
