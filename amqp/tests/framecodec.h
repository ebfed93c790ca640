// Test helpers for frames: encoding into bytes, and feeding bytes back
// through the receiving side the way the connection cuts its stream, whole or
// one byte at a time.
#pragma once

#include <gtest/gtest.h>

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <typeinfo>
#include <utility>

#include "amqp/buffers/bytebuffer.h"
#include "amqp/buffers/reducedbuffer.h"
#include "amqp/frames/framevisitor.h"
#include "amqp/framing/copiedbuffer.h"
#include "amqp/framing/frame.h"
#include "amqp/framing/receivedframe.h"
#include "amqp/tests/oracle.h"
#include "amqp/tests/stringsink.h"
#include "amqp/values/field.h"
#include "amqp/values/table.h"

namespace AMQP::Test {

// the bytes a frame puts on the wire, through the exactly sized buffer
inline std::string encode(const Frame& frame) {
    CopiedBuffer buffer(frame);
    return std::string(buffer.data(), buffer.size());
}

inline std::string encode(const Field& field) {
    StringSink sink;
    field.fill(sink);
    return sink.bytes;
}

// a one-entry table whose key names what it was made for
inline Table sampleTable(const std::string& key) {
    Table table;
    table[key] = "v";
    return table;
}

// hands every decoded frame to one callback
class CallbackVisitor : public FrameVisitor {
public:
    explicit CallbackVisitor(std::function<bool(Frame&)> callback) : _callback(std::move(callback)) {}

protected:
    bool fallback(Frame& frame) override { return _callback(frame); }

private:
    std::function<bool(Frame&)> _callback;
};

// Keeps the bytes received so far and dispatches every complete frame among
// them, as the connection does: frames are consumed whole, the rest waits
// for more bytes.
class FrameStream {
public:
    explicit FrameStream(std::function<bool(Frame&)> onFrame, uint32_t max = 0)
        : _visitor(std::move(onFrame)), _max(max) {}

    // adds bytes and dispatches what became complete; returns the number of
    // frames dispatched
    size_t feed(const std::string& bytes) {
        _pending += bytes;
        ByteBuffer buffer(_pending.data(), _pending.size());
        size_t consumed = 0;
        size_t frames = 0;
        while (consumed < _pending.size()) {
            ReducedBuffer rest(buffer, consumed);
            ReceivedFrame frame(rest, _max);
            if (!frame.complete()) {
                _expected = frame.header() ? frame.totalSize() : 7;
                break;
            }
            frame.dispatch(_visitor);
            consumed += frame.totalSize();
            ++frames;
            _expected = 7;
        }
        _pending.erase(0, consumed);
        return frames;
    }

    // bytes the next frame needs in all, as far as known
    size_t expected() const { return _expected; }
    const std::string& pending() const { return _pending; }

private:
    CallbackVisitor _visitor;
    uint32_t _max;
    std::string _pending;
    size_t _expected = 7;
};

// Decodes bytes that hold one frame, whole and byte by byte: the frame must
// come out as class T, pass check, and encode to the same bytes again.
template <typename T, typename Check>
void expectRoundTrip(const std::string& bytes, Check check) {
    for (bool byteWise : {false, true}) {
        SCOPED_TRACE(byteWise ? "fed byte by byte" : "fed whole");
        int seen = 0;
        FrameStream stream([&](Frame& frame) {
            ++seen;
            auto* typed = dynamic_cast<T*>(&frame);
            EXPECT_NE(typed, nullptr) << "decoded as " << typeid(frame).name();
            if (typed) {
                check(*typed);
                EXPECT_EQ(hex(encode(*typed)), hex(bytes));
            }
            return true;
        });
        if (byteWise) {
            for (size_t i = 0; i < bytes.size(); ++i) {
                stream.feed(bytes.substr(i, 1));
                if (i + 1 < bytes.size()) {
                    ASSERT_EQ(seen, 0) << "frame complete after " << i + 1 << " bytes";
                    EXPECT_EQ(stream.expected(), i + 1 < 7 ? 7 : bytes.size());
                }
            }
        } else {
            stream.feed(bytes);
        }
        EXPECT_EQ(seen, 1);
        EXPECT_EQ(stream.pending(), "");
    }
}

} // namespace AMQP::Test
