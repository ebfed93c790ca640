// What one publication costs in frames: writing basic.publish, its content
// header and body through the staging buffer, and cutting a stream of
// received deliveries back into frames.
#include <benchmark/benchmark.h>

#include <cstddef>
#include <string>

#include "amqp/buffers/bytebuffer.h"
#include "amqp/buffers/reducedbuffer.h"
#include "amqp/frames/basicframe.h"
#include "amqp/frames/framevisitor.h"
#include "amqp/framing/basicheaderframe.h"
#include "amqp/framing/bodyframe.h"
#include "amqp/framing/copiedbuffer.h"
#include "amqp/framing/passthroughbuffer.h"
#include "amqp/framing/receivedframe.h"
#include "amqp/values/envelope.h"
#include "amqp/values/table.h"

namespace {

struct Discard {
    size_t bytes = 0;
    void onData(AMQP::Connection*, const char*, size_t size) { bytes += size; }
};

void BM_WritePublication(benchmark::State& state) {
    std::string body(static_cast<size_t>(state.range(0)), 'm');
    AMQP::Envelope envelope(body.data(), body.size());
    AMQP::Table headers;
    headers["recipients"] = "a@example.org,b@example.org";
    envelope.setHeaders(headers);
    envelope.setContentEncoding("gzip");
    Discard sink;
    for (auto _ : state) {
        AMQP::BasicPassthroughBuffer<Discard>(nullptr, &sink,
                                              AMQP::BasicPublishFrame(1, "outbox", "mail", false, false));
        AMQP::BasicPassthroughBuffer<Discard>(nullptr, &sink, AMQP::BasicHeaderFrame(1, envelope));
        AMQP::BasicPassthroughBuffer<Discard>(nullptr, &sink, AMQP::BodyFrame(1, body.data(), body.size()));
    }
    benchmark::DoNotOptimize(sink.bytes);
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(body.size()));
}
BENCHMARK(BM_WritePublication)->Arg(100)->Arg(100000);

class Count : public AMQP::FrameVisitor {
public:
    size_t frames = 0;

protected:
    bool fallback(AMQP::Frame&) override { return ++frames, true; }
};

std::string encode(const AMQP::Frame& frame) {
    AMQP::CopiedBuffer buffer(frame);
    return std::string(buffer.data(), buffer.size());
}

void BM_ParseDeliveries(benchmark::State& state) {
    std::string body(1000, 'm');
    AMQP::MetaData properties;
    properties.setContentType("message/rfc822");
    std::string delivery = encode(AMQP::BasicDeliverFrame(1, "ctag", 7, false, "outbox", "mail")) +
                           encode(AMQP::BasicHeaderFrame(1, properties, body.size())) +
                           encode(AMQP::BodyFrame(1, body.data(), body.size()));
    std::string stream;
    for (int i = 0; i < 100; ++i)
        stream += delivery;
    Count count;
    for (auto _ : state) {
        AMQP::ByteBuffer buffer(stream.data(), stream.size());
        size_t consumed = 0;
        while (consumed < stream.size()) {
            AMQP::ReducedBuffer rest(buffer, consumed);
            AMQP::ReceivedFrame frame(rest, 131072);
            frame.dispatch(count);
            consumed += frame.totalSize();
        }
    }
    benchmark::DoNotOptimize(count.frames);
    state.SetItemsProcessed(int64_t(count.frames));
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(stream.size()));
}
BENCHMARK(BM_ParseDeliveries);

} // namespace

BENCHMARK_MAIN();
