#include "app/payload.h"

#include "amqp/values/envelope.h"

Payload::Payload(bool compress, bool keepPlain)
    : _plain(std::make_shared<Orvanta::Filter::Contiguous>()), _keepPlain(keepPlain) {
    if (!compress) return;
    _compressed = std::make_shared<Orvanta::Filter::Contiguous>();
    _gzip = std::make_unique<Orvanta::Filter::Gzip>(false, _compressed.get());
}

Payload::~Payload() = default;

void Payload::take() {
    if (!_gzip || _finished) return;
    _gzip->append(_plain->data() + _taken, _plain->size() - _taken, false);
    if (_keepPlain)
        _taken = _plain->size();
    else
        // the next piece is read into the same room: the block stays one
        // piece large
        _plain->clear();
}

void Payload::finish() {
    if (!_gzip || _finished) return;
    take();
    _finished = true;
    // the last block and the trailer, with any failure reported here rather
    // than lost in the filter's destructor
    _gzip->finish();
}

std::unique_ptr<AMQP::Envelope> Payload::envelope() const {
    if (!_gzip) return std::make_unique<AMQP::Envelope>(_plain->data(), _plain->size(), _plain);
    auto envelope = std::make_unique<AMQP::Envelope>(_compressed->data(), _compressed->size(), _compressed);
    envelope->setContentEncoding("gzip");
    return envelope;
}
