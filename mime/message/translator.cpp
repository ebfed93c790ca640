#include "mime/message/translator.h"

#include "filter/append.h"
#include "filter/base64decode.h"
#include "filter/base64encode.h"
#include "filter/forceend.h"
#include "filter/quotedprintabledecode.h"
#include "filter/quotedprintableencode.h"
#include "filter/split.h"
#include "filter/strip.h"
#include "mime/message/crlf.h"

namespace Orvanta::Mime {

namespace F = Orvanta::Filter;

template <typename Stage, typename... Args>
void Translator::add(Args&&... args) {
    auto stage = std::make_unique<Stage>(std::forward<Args>(args)...);
    next = stage.get();
    _stages.push_back(std::move(stage));
}

size_t Translator::Tally::process(const char* data, size_t size, bool persistent) {
    next->append(data, size, persistent);
    _total += size;
    return size;
}

Translator::Translator(const ContentTransferEncoding& from, const ContentTransferEncoding& to,
                       F::Result* sink, bool terminate)
    : Filter(&_tally), _tally(sink) {
    // built from the sink outwards: the encoder for `to` first, then the
    // decoder for `from` in front of it
    if (from == to) {
        if (to.encoding() != ContentTransferEncoding::binary)
            add<CrLf>(next, terminate);
        else if (terminate)
            // every byte is content: a last CR is one, not half a line end
            add<F::ForceEnd>(next, "\r\n", true);
        return;
    }
    switch (to.encoding()) {
    case ContentTransferEncoding::quotedprintable:
        if (terminate) add<F::ForceEnd>(next, "\r\n");
        add<F::QuotedPrintableEncode>(next);
        break;
    case ContentTransferEncoding::base64:
        add<F::Append>(next, "\r\n");
        add<F::Split>(next, 76, "\r\n");
        add<F::Base64Encode>(next);
        break;
    case ContentTransferEncoding::sevenbit:
    case ContentTransferEncoding::eightbit:
        add<CrLf>(next, terminate);
        break;
    default:
        break;
    }
    switch (from.encoding()) {
    case ContentTransferEncoding::base64:
        add<F::Base64Decode>(true, next);
        add<F::Strip>(next, "\r\n\t ");
        break;
    case ContentTransferEncoding::quotedprintable:
        add<F::QuotedPrintableDecode>(next);
        break;
    default:
        break;
    }
}

size_t Translator::finish() {
    // input end first, so that what each stage still holds passes through
    // the stages behind it
    while (!_stages.empty())
        _stages.pop_back();
    next = &_tally;
    return _tally.total();
}

Translator::~Translator() {
    finish();
}

} // namespace Orvanta::Mime
