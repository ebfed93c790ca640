// What the transport allows when a message or header is written: whether
// bytes outside ASCII may pass unencoded, and the line limits (998 and 78).
#pragma once

#include "filter/buffersize.h"

namespace Orvanta::Mime {

class ContentTransferEncoding;

class Capabilities {
public:
    Capabilities(bool eightbit, bool reencode, const Filter::BufferSize& limits)
        : _eightbit(eightbit), _reencode(reencode), _limits(limits) {}

    // 7-bit transport: everything outside ASCII is encoded
    static const Capabilities& standard();
    // UTF-8 may pass unencoded
    static const Capabilities& utf8();

    bool eightbit() const { return _eightbit; }
    // with eightbit() set: header lines that are pure ASCII are re-encoded anyway
    bool reencode() const { return _reencode; }
    const Filter::BufferSize& limits() const { return _limits; }
    // the hard limit of a line in bytes
    size_t hardLimit() const;
    // the preferred length of a line in characters
    size_t preferred() const;

    // whether a body labelled with that transfer encoding may pass: every
    // encoding with 8-bit transport, else "7bit", "quoted-printable" and
    // "base64"
    bool compatible(const ContentTransferEncoding& encoding) const;

private:
    bool _eightbit;
    bool _reencode;
    Filter::BufferSize _limits;
};

} // namespace Orvanta::Mime
