// The message on its way from standard input to the publication: read and
// dot-decoded in place into one block and, with compression, gzipped piece
// by piece as it arrives, so that no turn of the loop compresses more than
// one read and the plain bytes need not stay beside their compressed form.
#pragma once

#include "filter/contiguous.h"
#include "filter/gzip.h"

#include <cstddef>
#include <memory>

namespace AMQP {
class Envelope;
}

class Payload {
public:
    // keepPlain: the whole plain message is needed (to extract recipients)
    // also when it is compressed. Throws std::runtime_error when zlib cannot
    // be used.
    Payload(bool compress, bool keepPlain);
    Payload(const Payload&) = delete;
    Payload& operator=(const Payload&) = delete;
    ~Payload();

    // Where pieces are read (and decoded) into.
    Orvanta::Filter::Contiguous& input() { return *_plain; }
    // Compresses what was read since the last call; nothing to do without
    // compression or after finish().
    void take();
    // The input is complete: compresses the rest and ends the gzip stream.
    void finish();

    // The plain message, whole unless it was compressed without keepPlain.
    const char* plain() const { return _plain->data(); }
    size_t plainSize() const { return _plain->size(); }

    // The message to publish, its body not copied: gzip-compressed with the
    // content encoding saying so, or plain.
    std::unique_ptr<AMQP::Envelope> envelope() const;

private:
    // shared with the socket, which refers to the body until it is written
    std::shared_ptr<Orvanta::Filter::Contiguous> _plain;
    std::shared_ptr<Orvanta::Filter::Contiguous> _compressed;
    // null without compression
    std::unique_ptr<Orvanta::Filter::Gzip> _gzip;
    bool _keepPlain;
    // plain bytes already compressed, when they are kept
    size_t _taken = 0;
    // finish() was called: nothing more is taken
    bool _finished = false;
};
