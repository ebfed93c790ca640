#include "mime/object.h"

#include "mime/capabilities.h"
#include "mime/contenttransferencoding.h"
#include "mime/contenttype.h"
#include "mime/fatalerror.h"
#include "mime/part.h"

#include <cstring>

namespace Orvanta::Mime {

Object::ExtHeader::ExtHeader(const char* text, size_t size) {
    if (text == nullptr || size == 0) throw FatalError("Empty header");
    size_t position = 0;
    for (;;) {
        // neither the empty line that ends the block nor a line that is not
        // a field costs an exception: a block may hold any number of them
        const char* at = text + position;
        Line::ExtKey::Scan found = Line::ExtKey::scan(at, size - position);
        if (found.kind == Line::ExtKey::Scan::empty) {
            if (found.length == 2) _terminator = at;
            position += found.length;
            break;
        }
        if (found.kind == Line::ExtKey::Scan::malformed) {
            // not a field: skipped with its line end, counted in the block
            position += found.length;
            continue;
        }
        _lines.emplace_back(at, size - position, found);
        position += _lines.back().size();
    }
    _bytes = position;
}

Object::ExtHeader::ExtHeader(const char* text) : ExtHeader(text, text == nullptr ? 0 : std::strlen(text)) {
    _terminator = nullptr;
}

void Object::ExtHeader::clear() {
    Header::clear();
    _bytes = 0;
}

Object::Object(const char* text, size_t size)
    : header(text, size), body(&header, text + header.bytes(), size - header.bytes()) {}

Object::Object(const Body& other) : body(&header, other) {}

Object::Object(Body&& other) : body(&header, std::move(other)) {}

Object::Object(const Object& other) : Encodable(other), header(other.header), body(&header, other.body) {}

Object::Object(Object&& other) noexcept
    : header(std::move(other.header)), body(&header, std::move(other.body)) {}

Object::Object(const Part& part, size_t depth)
    : header(part.content() == 0 ? ExtHeader() : ExtHeader(part.text(), part.content())),
      body(&header, part.text() + header.bytes(), part.content() - header.bytes(), depth), boundary(part) {}

Object::~Object() = default;

void Object::clear() {
    header.clear();
    body.clear();
    boundary = Boundary();
}

size_t Object::encode(const Capabilities& caps, Filter::Result* out, bool persistent) const {
    // a part read from nothing (two delimiter lines in a row) stays nothing:
    // an empty line written for its header would be a part every reader sees
    if (!boundary.empty() && header.bytes() == 0 && header.size() == 0 && body.empty()) return 0;
    size_t total = header.encode(caps, out, persistent);
    return total + body.encode(caps, out, persistent, !boundary.empty());
}

bool Object::encodable(const Capabilities& caps) const {
    if (caps.eightbit()) return true;
    for (const Line& line : header.lines())
        if (!line.encodable(caps)) return false;
    return body.encodable(caps);
}

bool Object::fix(const Capabilities& caps) {
    if (encodable(caps)) return true;
    if (header.contains("dkim-signature")) return false;
    repair(caps);
    return encodable(caps);
}

namespace {

// An enclosed message may only be sent in an identity encoding; readers take
// its text as a message without decoding it, so quoted-printable or base64
// would garble it for them.
bool enclosed(const Header& header) {
    const Value& value = header.get("content-type");
    try {
        ContentType::Type type(value.data(), value.size());
        return type.main("message") &&
               (type.sub("rfc822") || type.sub("partial") || type.sub("external-body"));
    } catch (const std::exception&) {
        // no readable content type: not an enclosed message
        return false;
    }
}

} // namespace

void Object::repair(const Capabilities& caps) {
    if (header.multipart()) {
        body.repair(caps);
        return;
    }
    if (enclosed(header)) return;
    switch (ContentTransferEncoding(header).encoding()) {
    case ContentTransferEncoding::sevenbit:
        // also when the label is wrong: 8-bit bytes, or lines too long
        if (header.eightbit() || !body.fits(caps.hardLimit()))
            header.set("Content-Transfer-Encoding", "quoted-printable");
        break;
    case ContentTransferEncoding::eightbit:
        header.set("Content-Transfer-Encoding", "quoted-printable");
        break;
    case ContentTransferEncoding::binary:
        header.set("Content-Transfer-Encoding", "base64");
        break;
    default:
        break;
    }
}

} // namespace Orvanta::Mime
