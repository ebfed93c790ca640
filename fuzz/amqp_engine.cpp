// Arbitrary bytes as what a broker says to a client that has finished its
// handshake and holds a channel in confirm mode with three publications
// outstanding, a consumer and a receiver of returned messages. Whatever the
// bytes, the engine may only report errors through its callbacks.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include "amqp/buffers/bytebuffer.h"
#include "amqp/buffers/outbuffer.h"
#include "amqp/channel.h"
#include "amqp/connection.h"
#include "amqp/connectionhandler.h"
#include "amqp/deferredconsumer.h"
#include "amqp/deferredrecall.h"
#include "amqp/frames/basicframe.h"
#include "amqp/frames/channelframe.h"
#include "amqp/frames/confirmframe.h"
#include "amqp/frames/connectionframe.h"
#include "amqp/framing/frame.h"
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
    size_t written = 0;
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    Discard handler;
    auto connection = std::make_unique<AMQP::Connection>(&handler, AMQP::Login("user", "password"), "/");
    feed(*connection, received(AMQP::ConnectionStartFrame(0, 9, AMQP::Table(), "PLAIN", "en_US")) +
                          received(AMQP::ConnectionTuneFrame(0, 4096, 0)) +
                          received(AMQP::ConnectionOpenOKFrame()));
    AMQP::Channel channel(connection.get());
    feed(*connection, received(AMQP::ChannelOpenOKFrame(1)));
    AMQP::Reliable<AMQP::Tagger> reliable(channel);
    feed(*connection, received(AMQP::ConfirmSelectOKFrame(1)));
    size_t seen = 0;
    channel.consume("queue", "c").onMessage([&](const AMQP::Message& message, uint64_t, bool) {
        seen += message.bodySize();
    });
    channel.recall().onReturned(
        [&](const AMQP::Message& message, int16_t, const std::string&) { seen += message.bodySize(); });
    AMQP::Envelope envelope("hello", 5);
    for (int i = 0; i < 3; ++i)
        reliable.publish("exchange", "key", envelope);

    // the input arrives in two reads split where its first byte says
    if (size == 0) return 0;
    size_t split = data[0] % size;
    std::string first(reinterpret_cast<const char*>(data + 1), split);
    std::string all(reinterpret_cast<const char*>(data + 1), size - 1);
    AMQP::ByteBuffer head(first.data(), first.size());
    uint64_t used = connection->parse(head);
    AMQP::ByteBuffer rest(all.data() + used, all.size() - used);
    connection->parse(rest);
    reliable.close();
    connection->close();
    (void)seen;
    return 0;
}
