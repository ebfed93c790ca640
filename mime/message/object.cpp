#include "mime/message/object.h"

#include "filter/result.h"
#include "mime/grammar/ascii.h"
#include "mime/grammar/capabilities.h"
#include "mime/grammar/contenttype.h"
#include "mime/message/contenttransferencoding.h"
#include "mime/message/fatalerror.h"
#include "mime/message/part.h"
#include "mime/message/sevenbit.h"
#include "mime/message/textblock.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <functional>

namespace Orvanta::Mime {

Object::ExtHeader::ExtHeader(const char* text, size_t size) : _text(text) {
    if (text == nullptr || size == 0) throw FatalError("Empty header");
    size_t position = 0;
    for (;;) {
        // neither the empty line that ends the block nor a line that is not
        // a field costs an exception: a block may hold any number of them
        const char* at = text + position;
        Line::ExtKey::Scan found = Line::ExtKey::scan(at, size - position);
        if (found.kind == Line::ExtKey::Scan::empty) {
            if (found.length == 2) _terminator = at;
            _ended = found.length != 0;
            position += found.length;
            break;
        }
        if (found.kind == Line::ExtKey::Scan::malformed) {
            // not a field: skipped with its line end, counted in the block,
            // and kept to be written back where it stood
            _strays.emplace_back(at, found.length);
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
    _text = nullptr;
    _bytes = 0;
    _ended = true;
    _strays.clear();
}

bool Object::ExtHeader::parsed(const String& line) const {
    auto at = reinterpret_cast<std::uintptr_t>(line.data());
    auto start = reinterpret_cast<std::uintptr_t>(_text);
    return _text != nullptr && at >= start && at - start < _bytes;
}

size_t Object::ExtHeader::encode(const Capabilities& caps, Filter::Result* out, bool persistent) const {
    return encode(caps, out, persistent, true);
}

size_t Object::ExtHeader::encode(const Capabilities& caps, Filter::Result* out, bool persistent,
                                 bool ending) const {
    size_t total = 0;
    if (_strays.empty()) {
        for (const Line& line : _lines)
            total += line.encode(caps, out, persistent);
    } else {
        // A stretch that is not a field (an mbox "From " line, text that
        // follows a part's header without an empty line) is written after
        // the line read before it, or first when none was; a line added or
        // composed since does not move it.
        std::vector<const char*> starts;
        for (const Line& line : _lines)
            if (parsed(line)) starts.push_back(line.data());
        std::sort(starts.begin(), starts.end(), std::less<const char*>());
        auto before = [this](const char* end) {
            return std::lower_bound(_strays.begin(), _strays.end(), end,
                                    [](const String& stray, const char* at) {
                                        return std::less<const char*>()(stray.data(), at);
                                    });
        };
        auto write = [&](std::vector<String>::const_iterator from, std::vector<String>::const_iterator to) {
            for (; from != to; ++from)
                total += TextBlock(from->data(), from->size()).encode(out, persistent);
        };
        write(_strays.begin(), starts.empty() ? _strays.end() : before(starts.front()));
        for (const Line& line : _lines) {
            total += line.encode(caps, out, persistent);
            if (!parsed(line)) continue;
            auto next = std::upper_bound(starts.begin(), starts.end(), line.data(), std::less<const char*>());
            write(before(line.data()), next == starts.end() ? _strays.end() : before(*next));
        }
    }
    if (!ending && !_ended) return total;
    if (_terminator != nullptr) return total + out->append(_terminator, 2, persistent);
    return total + out->append("\r\n", 2, true);
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
    return encode(caps, out, persistent, false);
}

size_t Object::encode(const Capabilities& caps, Filter::Result* out, bool persistent, bool delimited) const {
    // a part read from nothing (two delimiter lines in a row) stays nothing:
    // an empty line written for its header would be a part every reader sees
    if (!boundary.empty() && header.bytes() == 0 && header.size() == 0 && body.empty()) return 0;
    // a block that ran to the end of its text (a part's header right before
    // the next delimiter) gains no empty line while nothing follows it
    size_t total = header.encode(caps, out, persistent, !body.silent());
    // the line end before a delimiter is the delimiter's: a part read with
    // one has it already, a part added since needs one of its own
    Body::Next next = Body::Next::nothing;
    if (!boundary.empty())
        next = Body::Next::readDelimiter;
    else if (delimited && !boundary.read())
        next = Body::Next::newDelimiter;
    return total + body.encode(caps, out, persistent, next);
}

bool Object::encodable(const Capabilities& caps) const {
    for (const Line& line : header.lines())
        if (!line.encodable(caps)) return false;
    // lines that are not fields are written as they stand
    for (const String& stray : header.strays())
        if (!SevenBit::fits(stray.data(), stray.size(), caps.hardLimit(), caps.eightbit())) return false;
    // whatever the transport, a multipart must be cut where it was built
    return body.encodable(caps);
}

namespace {

// How the repair takes an entity's content type: text, made of lines; an
// enclosed message or a multipart, which it does not encode; or content
// without lines.
//
// An enclosed message or a multipart may only be sent in an identity
// encoding (RFC 2045 section 6.4): readers take the text as a message, or
// cut it into parts, without decoding it, so quoted-printable or base64
// would garble the one and hide the other. Also a multipart whose boundary
// cannot be read here: its parts are still there for other readers.
//
// Any type but text and the message types that a repair encodes has no
// line breaks (RFC 2045 section 6.7, rule 4): a CR or LF in it is a byte of
// its own, which quoted-printable would write as a line break and every
// reader would decode as CR LF.
enum class Kind { text, composite, other };

// A type that does not parse here is the default type to the library:
// text/plain, or message/rfc822 for a part of a multipart/digest; one whose
// words hold bytes no token may ('message/rfc822=') names no type known
// here. Readers that take a type apart more loosely go by its first token
// where a slash follows it ('multipart/mi xed', 'image/p ng', a word after
// the subtype), and an encoding chosen for the library's reading would
// change what they find: some take a multipart or an enclosed message for
// one whatever follows the slash, but read another type only where a token
// follows it. Where none does, or no slash follows, they read no type and
// take the default one: in a digest an enclosed message, elsewhere content
// they need not read as text. Outside a digest, a first word text before
// the slash ('text/)plain'), and a value that does not parse with nothing
// in it that could be a type ('@@@', an empty value), keep the library's
// reading.
Kind loosely(const Value& value, bool parsed, bool digestPart) {
    ContentType::Type::Loose word = ContentType::Type::loose(value.data(), value.size());
    auto is = [&word](const char* name) {
        return Ascii::sameNoCase(word.first.data(), word.first.size(), name, std::strlen(name));
    };
    if (word.slash && (is("multipart") || is("message"))) return Kind::composite;
    if (word.subtype) {
        if (is("text")) return digestPart && !parsed ? Kind::composite : Kind::text;
        return Kind::other;
    }
    if (digestPart) return Kind::composite;
    if (word.slash && is("text")) return Kind::text;
    // a type read here ('@@@/x') is no default one
    return parsed || !word.first.empty() ? Kind::other : Kind::text;
}

Kind kind(const Header& header, bool digestPart) {
    const Value& value = header.get("content-type");
    try {
        ContentType::Type type(value.data(), value.size());
        if (!type.tokens()) return loosely(value, true, digestPart);
        if (type.main("multipart") || (type.main("message") && (type.sub("rfc822") || type.sub("partial") ||
                                                                type.sub("external-body"))))
            return Kind::composite;
        return type.main("text") || type.main("message") ? Kind::text : Kind::other;
    } catch (const std::exception&) {
        return loosely(value, false, digestPart);
    }
}

// Whether other readers find the parts read here in a multipart. Where its
// type holds bytes no token may, some read no type unless a token follows
// the slash ('multipart/@mixed'), and a quote in it opens a quoted string
// to those that split the parameters first, which hides the boundary: to
// them it is a single part, whose bytes a repair of the parts would change.
bool shared(const Header& header) {
    const Value& value = header.get("content-type");
    ContentType::Type type(value.data(), value.size());
    if (type.tokens()) return true;
    return ContentType::Type::loose(value.data(), value.size()).subtype &&
           std::memchr(type.begin(), '"', type.length()) == nullptr;
}

// Whether a write under the capabilities copies the entity as it stands:
// every header line, its parts', and every body in the encoding it was read
// in (line ends aside, which signatures do not count).
bool verbatim(const Object& object, const Capabilities& caps) {
    for (const Line& line : object.header.lines())
        if (!line.raw(caps)) return false;
    if (!object.header.multipart()) return ContentTransferEncoding(object.header) == object.body.encoding();
    for (const auto& part : object.body.parts())
        if (!verbatim(*part, caps)) return false;
    return true;
}

// whether the entity passes the transport as it stands, unchanged
bool intact(const Object& object, const Capabilities& caps) {
    return object.encodable(caps) && verbatim(object, caps);
}

// Whether the signed content of every multipart/signed in the tree (its
// first part, header and all) passes the transport unchanged.
bool signedIntact(const Object& object, const Capabilities& caps) {
    if (!object.header.multipart()) return true;
    bool signs = object.header.multipart("signed");
    const auto& parts = object.body.parts();
    for (size_t i = 0; i < parts.size(); ++i)
        if (signs && i == 0 ? !intact(*parts[i], caps) : !signedIntact(*parts[i], caps)) return false;
    return true;
}

} // namespace

bool Object::fix(const Capabilities& caps) {
    // A signature covers the bytes that go out: a message with a DKIM
    // signature, and the signed content of a multipart/signed, are left as
    // they are, and fix fails when they would not pass as they are. Their
    // header lines count too, though the writer could re-encode them.
    if (header.contains("dkim-signature")) return intact(*this, caps);
    if (!signedIntact(*this, caps)) return false;
    if (encodable(caps)) return true;
    repair(caps);
    return encodable(caps);
}

void Object::repair(const Capabilities& caps) {
    repair(caps, false);
}

void Object::repair(const Capabilities& caps, bool digestPart) {
    if (header.multipart()) {
        if (shared(header)) body.repair(caps);
        return;
    }
    // A body in an encoding unknown here is opaque (RFC 2045 section 6.4):
    // readers that know the label decode it, and would find the encoded
    // text instead of the content under any other.
    Kind content = kind(header, digestPart);
    if (content == Kind::composite || !ContentTransferEncoding::known(header)) return;
    // content without lines keeps every byte only in base64
    const char* encoding = content == Kind::text ? "quoted-printable" : "base64";
    switch (ContentTransferEncoding(header).encoding()) {
    case ContentTransferEncoding::sevenbit:
        // also when the label is wrong: 8-bit bytes (in the header too,
        // without 8-bit transport), NUL, a lone CR, or lines too long
        if ((header.eightbit() && !caps.eightbit()) || !body.fits(caps))
            header.set("Content-Transfer-Encoding", encoding);
        break;
    case ContentTransferEncoding::eightbit:
        header.set("Content-Transfer-Encoding", encoding);
        break;
    case ContentTransferEncoding::binary:
        header.set("Content-Transfer-Encoding", "base64");
        break;
    default:
        break;
    }
}

} // namespace Orvanta::Mime
