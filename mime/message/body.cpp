#include "mime/message/body.h"

#include "mime/grammar/ascii.h"
#include "mime/grammar/capabilities.h"
#include "mime/message/delimiterscan.h"
#include "mime/message/epilogue.h"
#include "mime/message/header.h"
#include "mime/message/object.h"
#include "mime/message/parseerror.h"
#include "mime/message/part.h"
#include "mime/message/preamble.h"
#include "mime/message/separator.h"
#include "mime/message/sevenbit.h"
#include "mime/message/textblock.h"
#include "mime/message/translator.h"

#include <cstring>
#include <optional>

namespace Orvanta::Mime {

namespace {

bool ascii(const String& text) {
    for (size_t i = 0; i < text.size(); ++i)
        if (!Ascii::isAscii(text.data()[i])) return false;
    return true;
}

// a delimiter line written afresh
size_t delimiter(const Separator& separator, bool closing, Filter::Result* out) {
    size_t total = out->append(separator.text().data(), separator.text().size(), false);
    return total + (closing ? out->append("--\r\n", 4, true) : out->append("\r\n", 2, true));
}

// The stored delimiter line when it is this separator's and closes (or not)
// as it must here; a fresh one otherwise. A stored line is never turned from
// closing to non-closing or back: the boundary text may itself end in "--".
size_t delimiter(const Separator& separator, const Boundary& stored, bool closing, Filter::Result* out,
                 bool persistent) {
    if (stored == separator && stored.closing() == closing) return stored.encode(out, persistent);
    return delimiter(separator, closing, out);
}

// Whether an entity read from a multipart text is written as it was read,
// and so are its parts: no line of it can be a delimiter of that multipart,
// since the parse cut the text at every one. A part added since, or a body
// decoded to be copied as text, may hold any line.
bool unedited(const Object& object) {
    if (!object.boundary.read()) return false;
    if (!object.header.multipart()) {
        ContentTransferEncoding named(&object.header);
        // the encoders write no line that begins with "--"
        return named == object.body.encoding() || named == ContentTransferEncoding::quotedprintable ||
               named == ContentTransferEncoding::base64;
    }
    for (const auto& part : object.body.parts())
        if (!unedited(*part)) return false;
    return true;
}

} // namespace

Body::Body(const Header* owner, const char* text, size_t size, size_t depth)
    : String(text, size), _owner(owner), _encoding(owner) {
    if (!owner->multipart()) return;
    Separator separator(*owner);
    if (depth >= maxDepth) {
        // nested too deep to cut up: kept as text and written back as it came
        _unparsed = true;
        return;
    }
    std::optional<Part> first;
    try {
        first.emplace(separator, text, size);
    } catch (const ParseError&) {
        // no delimiter at all: handled below as one preamble
    }
    if (!first) {
        if (size != 0) _preamble = std::make_shared<Preamble>(text, size);
        _open = true;
        return;
    }
    _preamble = std::make_shared<Preamble>(*first);
    size_t position = first->consumed();
    bool closed = first->closing();
    while (!closed) {
        std::optional<Part> part;
        try {
            part.emplace(separator, text + position, size - position);
        } catch (const ParseError&) {
            // no closing delimiter: what is left is the last part, as every
            // reader takes it (a truncated message keeps its last attachment)
            if (position < size) {
                _parts.push_back(std::make_shared<Object>(Part(text + position, size - position), depth + 1));
                position = size;
            }
            _open = true;
            break;
        }
        _parts.push_back(std::make_shared<Object>(*part, depth + 1));
        position += part->consumed();
        closed = part->closing();
    }
    if (position < size) _epilogue = std::make_shared<Epilogue>(text + position, size - position);
}

Body::Body(const Header* owner, const Body& other)
    : String(other), _owner(owner), _preamble(other._preamble), _epilogue(other._epilogue),
      _parts(other._parts), _encoding(other._encoding), _unparsed(other._unparsed), _open(other._open) {}

Body::Body(const Header* owner, Body&& other)
    : String(other), _owner(owner), _preamble(std::move(other._preamble)),
      _epilogue(std::move(other._epilogue)), _parts(std::move(other._parts)), _encoding(other._encoding),
      _unparsed(other._unparsed), _open(other._open) {}

Body::~Body() = default;

const Preamble& Body::preamble() const {
    return _preamble ? *_preamble : empty_preamble();
}

const Epilogue& Body::epilogue() const {
    return _epilogue ? *_epilogue : empty_epilogue();
}

Body& Body::preamble(const char* text, size_t size) {
    _preamble = std::make_shared<Preamble>(text, size);
    _open = false;
    return *this;
}

Body& Body::preamble(const char* text) {
    if (text == nullptr) {
        _preamble.reset();
        _open = false;
    } else
        preamble(text, std::strlen(text));
    return *this;
}

Body& Body::epilogue(const char* text, size_t size) {
    _epilogue = std::make_shared<Epilogue>(text, size);
    _open = false;
    return *this;
}

Body& Body::epilogue(const char* text) {
    if (text == nullptr) {
        _epilogue.reset();
        _open = false;
    } else
        epilogue(text, std::strlen(text));
    return *this;
}

Body& Body::append(const Object& part) {
    _parts.push_back(std::make_shared<Object>(part));
    _open = false;
    return *this;
}

Body& Body::append(Object&& part) {
    _parts.push_back(std::make_shared<Object>(std::move(part)));
    _open = false;
    return *this;
}

Body& Body::prepend(const Object& part) {
    _parts.insert(_parts.begin(), std::make_shared<Object>(part));
    _open = false;
    return *this;
}

Body& Body::prepend(Object&& part) {
    _parts.insert(_parts.begin(), std::make_shared<Object>(std::move(part)));
    _open = false;
    return *this;
}

void Body::repair(const Capabilities& caps) {
    bool digest = _owner->multipart("digest");
    for (auto& part : _parts) {
        if (part->encodable(caps)) continue;
        auto repaired = std::make_shared<Object>(*part);
        repaired->repair(caps, digest);
        repaired->boundary = part->boundary;
        part = std::move(repaired);
        // a text that ended without its closing delimiter still does: the
        // parts stand where they stood
    }
}

void Body::clear() {
    _preamble.reset();
    _epilogue.reset();
    _parts.clear();
    _encoding = ContentTransferEncoding::sevenbit;
    _unparsed = false;
    _open = false;
    _data = nullptr;
    _size = 0;
}

bool Body::empty() const {
    return !_preamble && !_epilogue && _parts.empty() && _size == 0;
}

bool Body::eightbit() const {
    if (!_owner->multipart()) {
        switch (_encoding.encoding()) {
        case ContentTransferEncoding::quotedprintable:
        case ContentTransferEncoding::base64:
        case ContentTransferEncoding::sevenbit:
            return false;
        default:
            return !ascii(*this);
        }
    }
    if (!ascii(preamble()) || !ascii(epilogue()) || (_unparsed && !ascii(*this))) return true;
    for (const auto& part : _parts)
        if (part->header.eightbit() || part->body.eightbit()) return true;
    return false;
}

bool Body::valid() const {
    if (!_owner->multipart()) return !_preamble && !_epilogue && _parts.empty();
    try {
        Separator separator(*_owner);
        return true;
    } catch (const std::exception&) {
        // the question is only whether the content type names a boundary
        return false;
    }
}

size_t Body::decode(Filter::Result* out) const {
    Translator translator(_encoding, ContentTransferEncoding::binary, out);
    translator.append(_data, _size, false);
    return translator.finish();
}

bool Body::fits(const Capabilities& caps) const {
    ContentTransferEncoding named(_owner);
    bool decoded = named != _encoding && (_encoding.encoding() == ContentTransferEncoding::quotedprintable ||
                                          _encoding.encoding() == ContentTransferEncoding::base64);
    // an encoder writes short ASCII lines whatever it is given
    if (named != _encoding && (named.encoding() == ContentTransferEncoding::quotedprintable ||
                               named.encoding() == ContentTransferEncoding::base64))
        return true;
    bool binary = named.encoding() == ContentTransferEncoding::binary;
    if (!decoded) return SevenBit::fits(_data, _size, caps.hardLimit(), caps.eightbit(), binary);
    SevenBit check(caps.hardLimit(), caps.eightbit(), binary);
    try {
        decode(&check);
    } catch (const std::exception&) {
        // a text that cannot be decoded cannot be written either
        return false;
    }
    return check.fits();
}

bool Body::encodable(const Capabilities& caps) const {
    if (!_owner->multipart())
        // a body labelled "7bit" must hold 7-bit text, and a copied one must
        // already be in lines the transport takes, 8-bit or not
        return caps.compatible(ContentTransferEncoding(_owner)) && fits(caps);
    size_t limit = caps.hardLimit();
    bool eightbit = caps.eightbit();
    // the delimiter lines, written with the closing "--"
    std::string delimiter = Separator(*_owner).text() + "--";
    if (!SevenBit::fits(delimiter.data(), delimiter.size(), limit, eightbit)) return false;
    if (!SevenBit::fits(preamble().data(), preamble().size(), limit, eightbit) ||
        !SevenBit::fits(epilogue().data(), epilogue().size(), limit, eightbit) ||
        (_unparsed && !SevenBit::fits(_data, _size, limit, eightbit)))
        return false;
    for (const auto& part : _parts)
        if (!part->encodable(caps)) return false;
    return delimited(caps);
}

bool Body::delimited(const Capabilities& caps) const {
    if (_unparsed) return true;
    Separator separator(*_owner);
    DelimiterScan before(separator);
    before.append(preamble().data(), preamble().size(), true);
    if (before.found()) return false;
    for (size_t i = 0; i < _parts.size(); ++i) {
        const Object& part = *_parts[i];
        if (part.boundary == separator && unedited(part)) continue;
        DelimiterScan scan(separator);
        try {
            part.encode(caps, &scan, false, followed(i));
        } catch (const std::exception&) {
            // a part that cannot be written cannot be written sound either
            return false;
        }
        if (scan.found()) return false;
    }
    return true;
}

bool Body::followed(size_t index) const {
    return index + 1 < _parts.size() || !_open;
}

size_t Body::encode(const Capabilities& caps, Filter::Result* out, bool persistent) const {
    return encode(caps, out, persistent, Next::nothing);
}

size_t Body::encode(const Capabilities& caps, Filter::Result* out, bool persistent, Next next) const {
    if (_owner->multipart()) return encodeMultipart(caps, out, persistent);
    // An empty body stays empty: a line end added here would be a line of
    // content the next reader sees (the header's own empty line already
    // ends the block, so a delimiter after it still starts a line).
    if (_size == 0) return 0;
    ContentTransferEncoding named(_owner);
    size_t size = _size;
    bool delimited = next == Next::readDelimiter;
    // The line end before a delimiter belongs to the delimiter: encoded into
    // base64 with the content it would become content (two more bytes in a
    // decoded attachment), and the base64 encoder ends its output with a
    // line end of its own. The other encoders write it as the line end it
    // is, after the content's own last one.
    if (delimited && named != _encoding && named == ContentTransferEncoding::base64) {
        if (size > 0 && _data[size - 1] == '\n') --size;
        if (size > 0 && _data[size - 1] == '\r') --size;
    }
    // A binary body is copied untouched, and the stage at its end adds the
    // CR LF it lacks: a lone LF before the delimiter is left to that one,
    // so that it becomes the delimiter's CR LF instead of content before it.
    if (delimited && named == _encoding && named == ContentTransferEncoding::binary && size > 0 &&
        _data[size - 1] == '\n' && (size == 1 || _data[size - 2] != '\r'))
        --size;
    // A body that no delimiter line followed keeps all it holds before a new
    // one: its text is not made to end with a line end, the delimiter's own
    // comes after it. Base64 lines end in a line end that is never content.
    bool own = next == Next::newDelimiter && named != ContentTransferEncoding::base64;
    Translator translator(_encoding, named, out, !own);
    translator.append(_data, size, persistent);
    // with what the stages write at their end: callers limit and sign by it
    size_t total = translator.finish();
    return own ? total + out->append("\r\n", 2, true) : total;
}

size_t Body::encodeMultipart(const Capabilities& caps, Filter::Result* out, bool persistent) const {
    if (_unparsed) return TextBlock(_data, _size).encode(out, persistent);
    Separator separator(*_owner);
    size_t total = 0;
    // the delimiter after the preamble (index 0) or after part `index`
    auto after = [&](size_t index, const Boundary& stored) -> size_t {
        bool last = index == _parts.size();
        // a text that ended without its closing delimiter is written as it
        // came: its last delimiter line as it stood, or none
        if (last && _open)
            return stored.empty() ? 0 : delimiter(separator, stored, stored.closing(), out, persistent);
        return delimiter(separator, stored, last, out, persistent);
    };
    if (_preamble) total += _preamble->encode(caps, out, persistent);
    total += after(0, _preamble ? _preamble->boundary() : Boundary());
    for (size_t i = 0; i < _parts.size(); ++i) {
        const Object& part = *_parts[i];
        total += part.encode(caps, out, persistent, followed(i));
        total += after(i + 1, part.boundary);
    }
    if (_epilogue) total += _epilogue->encode(caps, out, persistent);
    return total;
}

bool Body::silent() const {
    return empty() && (_open || !_owner->multipart());
}

} // namespace Orvanta::Mime
