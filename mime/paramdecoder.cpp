#include "mime/paramdecoder.h"

namespace Orvanta::Mime {

ParamDecoder::ParamDecoder(std::string& out, char const* charset)
    : _out(out), _sink(&out), _charset(charset, "utf-8", &_sink), _hex(&_charset) {}

void ParamDecoder::decode(char const* data, size_t size) { _hex.process(data, size, false); }

void ParamDecoder::raw(char const* data, size_t size) {
    _hex.flush();
    _out.append(data, size);
}

} // namespace Orvanta::Mime
