// A read cursor over a Buffer: typed big-endian readers that refuse to read
// past the end (ProtocolException "frame out of range", cursor unmoved).
#pragma once

#include <cstddef>
#include <cstdint>

namespace AMQP {

class Buffer;

class InBuffer {
public:
    // the buffer must outlive the cursor
    explicit InBuffer(const Buffer& buffer) : _buffer(buffer) {}

    // a cursor over a nested window of the parent's bytes, one level deeper
    InBuffer(const Buffer& buffer, const InBuffer& parent) : _buffer(buffer), _depth(parent._depth + 1) {}

    InBuffer(const InBuffer&) = delete;
    InBuffer& operator=(const InBuffer&) = delete;

    uint8_t nextUint8();
    int8_t nextInt8();
    uint16_t nextUint16();
    int16_t nextInt16();
    uint32_t nextUint32();
    int32_t nextInt32();
    uint64_t nextUint64();
    int64_t nextInt64();
    float nextFloat();
    double nextDouble();

    // a pointer to the next size bytes inside the buffer (no copy)
    const char* nextData(size_t size);

    // bytes not yet read
    size_t available() const;

    // bytes already read
    size_t consumed() const { return _skip; }

    // how many containers enclose what is read here (0 at the top)
    unsigned int depth() const { return _depth; }

protected:
    const Buffer& _buffer;
    size_t _skip = 0;

private:
    friend class BufferCheck;
    unsigned int _depth = 0;
};

} // namespace AMQP
