#include "mime/message/line.h"

#include "filter/linetracker.h"
#include "filter/mimeheaderdecode.h"
#include "filter/mimeheaderencode.h"
#include "filter/string.h"
#include "filter/wordwrap.h"
#include "mime/grammar/ascii.h"
#include "mime/grammar/capabilities.h"
#include "mime/grammar/scanner.h"
#include "mime/message/crlf.h"
#include "mime/message/emptyline.h"
#include "mime/message/fieldtypes.h"
#include "mime/message/flushguard.h"
#include "mime/message/parseerror.h"
#include "mime/message/sevenbit.h"
#include "mime/message/textblock.h"
#include "mime/message/unfolded.h"

#include <cstdint>
#include <cstring>
#include <memory>
#include <stdexcept>
#include <string>

namespace Orvanta::Mime {

namespace {

bool blank(char c) {
    return c == ' ' || c == '\t';
}

size_t length(const char* text) {
    return text == nullptr ? 0 : std::strlen(text);
}

bool ascii(const char* data, size_t size) {
    for (size_t i = 0; i < size; ++i)
        if (!Ascii::isAscii(data[i])) return false;
    return true;
}

// What a write asks of a field's bytes, on every write: whether a writer can
// carry them (neither NUL nor a CR without its LF, which no transport takes
// either: written again, they would part words, or end a line) and whether
// they are all ASCII. Eight bytes are looked at a time, and only those eight
// again where one may be NUL or CR: a field holds no NUL, and a CR only
// where one of its lines ends.
struct Bytes {
    bool carried = true;
    bool ascii = true;
};

Bytes look(const char* data, size_t size) {
    constexpr uint64_t ones = 0x0101010101010101u;
    constexpr uint64_t highs = ones * 0x80;
    Bytes found;
    auto exact = [&](size_t from, size_t to) {
        for (size_t i = from; i < to; ++i) {
            if (data[i] == '\0' || (data[i] == '\r' && (i + 1 == size || data[i + 1] != '\n')))
                found.carried = false;
            if (!Ascii::isAscii(data[i])) found.ascii = false;
        }
    };
    // the field's own last line end needs no look
    size_t end = size >= 2 && data[size - 2] == '\r' && data[size - 1] == '\n' ? size - 2 : size;
    if (end < 8) {
        exact(0, end);
        return found;
    }
    uint64_t high = 0;
    for (size_t i = 0; i < end; i += 8) {
        // the last eight bytes overlap the ones before them
        size_t at = i + 8 <= end ? i : end - 8;
        uint64_t word;
        std::memcpy(&word, data + at, sizeof word);
        high |= word;
        uint64_t cr = word ^ (ones * '\r');
        // a high bit where a byte may be NUL or CR (exact for the first)
        if ((((word - ones) & ~word) | ((cr - ones) & ~cr)) & highs) exact(at, at + 8);
    }
    found.ascii = found.ascii && (high & highs) == 0;
    return found;
}

// The value's bytes as they stand, only their line feeds made CR LF: a lone
// CR stays one, or a value would become two fields.
size_t writeRaw(const char* data, size_t size, Filter::Result* out, bool persistent) {
    return CrLf(out).append(data, size, persistent);
}

} // namespace

Line::ExtKey::Scan Line::ExtKey::scan(const char* text, size_t size) noexcept {
    if (size == 0) return {Scan::empty, 0, nullptr};
    if (text[0] == '\n') return {Scan::empty, 1, nullptr};
    if (size >= 2 && text[0] == '\r' && text[1] == '\n') return {Scan::empty, 2, nullptr};
    // A name never holds white space. Blanks between a name and its colon
    // are the obsolete syntax (RFC 5322 4.5) that a reader must take: the
    // name ends before them, so that the field is found by its name.
    bool colon = true;
    size_t name = size;
    for (size_t i = 0;; ++i) {
        if (text[i] == ':' && colon) return {Scan::field, name == size ? i : name, nullptr};
        if (blank(text[i]) && colon && i > 0) {
            if (name == size) name = i;
        } else if (Ascii::isSpace(text[i]) || name != size) {
            colon = false;
        }
        if (i + 1 == size) return {Scan::malformed, size, "Key cannot be retrieved (no colon)"};
        if (text[i + 1] == '\n') return {Scan::malformed, i + 2, "Missing colon"};
    }
}

Line::ExtKey::ExtKey(const char* text, size_t size) : ExtKey(text, size, scan(text, size)) {}

Line::ExtKey::ExtKey(const char* text, size_t size, const Scan& found) : Key(text, 0) {
    if (found.kind == Scan::empty) throw EmptyLine(text, found.length);
    if (found.kind == Scan::malformed) throw ParseError(found.message, found.length);
    _size = found.length;
    // the blanks before the colon (if any), the colon, the blanks after it
    _consumed = found.length;
    while (_consumed < size && blank(text[_consumed]))
        ++_consumed;
    ++_consumed;
    while (_consumed < size && blank(text[_consumed]))
        ++_consumed;
}

Line::ExtKey::ExtKey(const char* text) : ExtKey(text, length(text)) {}

size_t Line::ExtKey::encode(const Capabilities&, Filter::LineLength* out, bool persistent) const {
    if (_consumed != 0) return out->append(_data, _consumed, persistent);
    size_t total = out->append(_data, _size, persistent);
    return total + out->append(": ", 2, true);
}

Line::ExtValue::ExtValue(const Key& key, const char* text, size_t size) : Value(text, 0), _key(&key) {
    Scanner scanner(text, size);
    scanner.skipWhile(blank);
    _data = scanner.here();
    size_t pending = 0;
    while (!scanner.atEnd()) {
        char c = scanner.next();
        if (Ascii::isSpace(c))
            ++pending;
        else {
            _size += pending + 1;
            pending = 0;
        }
        // a line end closes the value unless a blank folds the next line in
        if (c == '\n' && !scanner.atOne(blank)) break;
    }
    _consumed = scanner.position();
}

Line::ExtValue::ExtValue(const Key& key, const char* text) : ExtValue(key, text, length(text)) {}

namespace {

// The ways a value is written again, chosen by the field's name.
using Writer = size_t (*)(const Key& name, const char* data, size_t size, const Capabilities& caps,
                          Filter::LineLength* out, bool persistent);

// A mailbox or address list written by its class through a word wrapper; one
// that does not parse, or whose parse dropped a group member, keeps its
// bytes, still folded.
size_t addresses(const Key& name, const char* data, size_t size, const Capabilities& caps,
                 Filter::LineLength* out, bool persistent) {
    std::unique_ptr<HeaderField> field;
    try {
        field = FieldTypes::parse(name, data, size);
        if (field && !field->whole()) field.reset();
    } catch (const std::exception&) {
        // an address list that does not parse is still folded, unchanged
    }
    std::string plain;
    if (field) {
        Filter::String sink(&plain);
        field->encode(caps, static_cast<Filter::Result*>(&sink), persistent);
    }
    // blanks inside a quoted local part, which the word wrapper would merge:
    // written as they are
    if (field && unfolded(plain, out->size().bytes(), caps.hardLimit()))
        return out->append(plain.data(), plain.size(), false);
    Filter::WordWrap wrap(caps.limits(), out->size(), out);
    size_t total = field ? field->encode(caps, &wrap, persistent) : wrap.append(data, size, persistent);
    return total + wrap.flush();
}

// Free text: encoded words are decoded and the text written again with
// encoded words where the transport needs them; a word whose bytes do not
// convert goes back as it stood.
size_t words(const Key&, const char* data, size_t size, const Capabilities& caps, Filter::LineLength* out,
             bool persistent) {
    Filter::MimeHeaderEncode encoder(out->size().bytes(), caps.preferred(), Filter::MimeHeaderEncoding(),
                                     out);
    FlushGuard guard(&encoder);
    Filter::MimeHeaderDecode decoder("utf-8", &guard, false, true, &encoder);
    size_t total = decoder.append(data, size, persistent);
    total += decoder.flush();
    return total + encoder.flush();
}

// A value of a typed class written by that class; as it stands when it does
// not parse or write, when its parse dropped a part of it, and while its
// class does not exist yet. The class writes into a buffer that continues
// the line, so that one that fails partway leaves none of its output before
// the value as it stands.
size_t typed(const Key& name, const char* data, size_t size, const Capabilities& caps,
             Filter::LineLength* out, bool persistent) {
    try {
        if (auto field = FieldTypes::parse(name, data, size); field && field->whole()) {
            std::string written;
            Filter::String sink(&written);
            Filter::LineTracker line(&sink, out->size());
            field->encode(caps, &line, persistent);
            return out->append(written.data(), written.size(), false);
        }
    } catch (const std::exception&) {
        // a typed value that does not parse or write is kept as it stands
    }
    return writeRaw(data, size, out, persistent);
}

// Any other value is folded again between its words.
size_t refolded(const Key&, const char* data, size_t size, const Capabilities& caps, Filter::LineLength* out,
                bool persistent) {
    Filter::WordWrap wrap(caps.limits(), out->size(), out);
    size_t total = wrap.append(data, size, persistent);
    return total + wrap.flush();
}

struct Route {
    bool (*named)(const Key& name);
    Writer write;
};

// tried in order; a name that no row takes is refolded
const Route routes[] = {
    {[](const Key& name) {
         return name.containsMailbox() || name.containsMailboxes() || name.containsTargets();
     },
     addresses},
    {[](const Key& name) { return name.supportsEncodedWords(); }, words},
    {FieldTypes::known, typed},
};

} // namespace

size_t Line::ExtValue::encode(const Capabilities& caps, Filter::LineLength* out, bool persistent) const {
    Writer write = refolded;
    for (const Route& route : routes) {
        if (!route.named(*_key)) continue;
        write = route.write;
        break;
    }
    size_t total = write(*_key, _data, _size, caps, out, persistent);
    out->append("\r\n", 2, true);
    return total;
}

Line::Line(const char* text, size_t size) : Line(text, size, ExtKey::scan(text, size)) {}

Line::Line(const char* text) : Line(text, length(text)) {}

Line::Line(const char* text, size_t size, const ExtKey::Scan& found)
    : String(text, 0), key(text, size, found), value(key, text + key.consumed(), size - key.consumed()) {
    _size = key.consumed() + value.consumed();
}

Line::Line(const Line& other) : String(other), Encodable(other), key(other.key), value(other.value) {
    value._key = &key;
}

Line::Line(Line&& other) noexcept : String(other), Encodable(other), key(other.key), value(other.value) {
    value._key = &key;
}

Line& Line::operator=(const Line& other) {
    String::operator=(other);
    key = other.key;
    value = other.value;
    value._key = &key;
    return *this;
}

Line& Line::operator=(Line&& other) noexcept {
    String::operator=(other);
    key = other.key;
    value = other.value;
    value._key = &key;
    return *this;
}

void Line::set(const char* text) {
    *this = Line(text);
}

bool Line::valid() const {
    try {
        FieldTypes::parse(key, value.data(), value.size());
        return true;
    } catch (const std::exception&) {
        // the question is only whether the value parses
        return false;
    }
}

bool Line::raw(const Capabilities& caps) const {
    // what no writer carries is kept as it stands, and fails fix
    Bytes bytes = look(_data, _size);
    if (!bytes.carried) return true;
    // an ASCII field has an ASCII value; otherwise the value alone decides
    bool plain = bytes.ascii || ascii(value.data(), value.size());
    bool both = caps.eightbit() && caps.reencode();
    if (!plain) return caps.eightbit() && caps.hardLimit() >= 998;
    if (caps.preferred() < 78 || both) return false;
    // without 8-bit transport the hard limit is kept too: a longer line is
    // folded again rather than copied
    return caps.eightbit() || _size <= caps.hardLimit() || SevenBit::fits(_data, _size, caps.hardLimit());
}

size_t Line::encode(const Capabilities& caps, Filter::Result* out, bool persistent) const {
    // the last line of a text may lack its line end; the next line must not
    // run on after it
    if (raw(caps))
        return _size == 0 ? out->append("\r\n", 2, true) : TextBlock(_data, _size).encode(out, persistent);
    Filter::LineTracker tracker(out);
    size_t total = key.encode(caps, &tracker, persistent);
    // the value's writer ends the line with CR LF and does not count it
    return total + value.encode(caps, &tracker, persistent) + 2;
}

bool Line::encodable(const Capabilities& caps) const {
    if (!look(_data, _size).carried) return false;
    // an 8-bit transport takes the line as it is copied, but within the hard
    // limit like any other
    if (caps.eightbit()) return SevenBit::fits(_data, _size, caps.hardLimit(), true);
    // a copied line is 7-bit when its name is: the value is
    if (raw(caps)) return ascii(key.data(), key.size());
    SevenBit check(caps.hardLimit());
    encode(caps, &check, false);
    return check.fits();
}

} // namespace Orvanta::Mime
