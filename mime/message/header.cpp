#include "mime/message/header.h"

#include "filter/memory.h"
#include "filter/mimeheaderdecode.h"
#include "filter/mimeheaderencode.h"
#include "filter/newlineconverter.h"
#include "filter/string.h"
#include "filter/wordwrap.h"
#include "mime/grammar/ascii.h"
#include "mime/grammar/capabilities.h"
#include "mime/grammar/contentdisposition.h"
#include "mime/grammar/contentid.h"
#include "mime/grammar/contenttype.h"
#include "mime/grammar/datetime.h"
#include "mime/grammar/empty.h"
#include "mime/grammar/headerfield.h"
#include "mime/message/contenttransferencoding.h"
#include "mime/message/fieldtypes.h"
#include "mime/message/flushguard.h"
#include "mime/message/unfolded.h"

#include <algorithm>
#include <cstring>
#include <stdexcept>

namespace Orvanta::Mime {

namespace {

bool named(const Line& line, const char* name, size_t length) {
    return Ascii::sameNoCase(line.key.data(), line.key.size(), name, length);
}

Key keyOf(const char* name) {
    return Key(name, std::strlen(name));
}

// The name of a line to be composed. One that cannot head a field would be
// read back as another field, as the rest of a field, or as no header at
// all: it is refused before anything changes.
void requireFieldName(const Key& key) {
    if (!key.fieldName()) throw std::runtime_error("invalid header name");
}

bool ascii(const Value& value) {
    for (size_t i = 0; i < value.size(); ++i)
        if (!Ascii::isAscii(value.data()[i])) return false;
    return true;
}

// The spelling written for a typed value set through the text form: the four
// content fields are written in their usual spelling, others as given.
Key spelling(const Key& name) {
    for (const char* usual :
         {"Content-ID", "Content-Type", "Content-Disposition", "Content-Transfer-Encoding"})
        if (name == usual) return keyOf(usual);
    return name;
}

} // namespace

const Value& Header::get(const char* name) const {
    if (name == nullptr) return empty_value();
    size_t length = std::strlen(name);
    for (const Line& line : _lines)
        if (named(line, name, length)) return line.value;
    return empty_value();
}

std::vector<Value> Header::all(const char* name) const {
    if (name == nullptr) return {};
    return all(String(name, std::strlen(name)));
}

std::vector<Value> Header::all(const String& name) const {
    std::vector<Value> values;
    for (const Line& line : _lines)
        if (named(line, name.data(), name.size())) values.push_back(line.value);
    return values;
}

bool Header::contains(const char* name) const {
    return name != nullptr && contains(String(name, std::strlen(name)));
}

bool Header::contains(const String& name) const {
    for (const Line& line : _lines)
        if (named(line, name.data(), name.size())) return true;
    return false;
}

bool Header::contains(const Key& key, const Value& value) const {
    for (const Line& line : _lines)
        if (named(line, key.data(), key.size()) &&
            Ascii::sameNoCase(line.value.data(), line.value.size(), value.data(), value.size()))
            return true;
    return false;
}

HeaderIterator Header::find(const char* name) const {
    return name == nullptr ? end() : find(String(name, std::strlen(name)));
}

HeaderIterator Header::find(const String& name) const {
    for (size_t i = 0; i < _lines.size(); ++i)
        if (named(_lines[i], name.data(), name.size())) return HeaderIterator(this, i, name);
    return end();
}

ReverseHeaderIterator Header::rfind(const char* name) const {
    return name == nullptr ? rend() : rfind(String(name, std::strlen(name)));
}

ReverseHeaderIterator Header::rfind(const String& name) const {
    for (size_t i = 0; i < _lines.size(); ++i)
        if (named(_lines[_lines.size() - 1 - i], name.data(), name.size()))
            return ReverseHeaderIterator(this, i, name);
    return rend();
}

bool Header::valid() const {
    for (const Line& line : _lines)
        if (!line.valid()) return false;
    return true;
}

bool Header::sevenbit() const {
    for (const Line& line : _lines)
        if (!ascii(line.value)) return false;
    return true;
}

bool Header::eightbit() const {
    return !sevenbit();
}

bool Header::covers(const Header& other) const {
    for (const Line& line : other._lines)
        if (!contains(line.key, line.value)) return false;
    return true;
}

bool Header::matches(const Header& other) const {
    return covers(other) && other.covers(*this);
}

bool Header::multipart() const {
    const Value& value = get("content-type");
    if (value.size() == 0) return false;
    try {
        // the type alone first: most parts are not multipart, and their
        // parameters need not be read
        if (!ContentType::Type(value.data(), value.size()).main("multipart")) return false;
        ContentType type(value.data(), value.size(), true);
        return type.type().main("multipart");
    } catch (const std::exception&) {
        // no content type, or one that does not parse: a single part
        return false;
    }
}

bool Header::multipart(const char* subtype) const {
    if (!multipart()) return false;
    const Value& value = get("content-type");
    // read strictly by multipart() just now
    return ContentType::Type(value.data(), value.size()).sub(subtype);
}

const char* Header::preserve(const char* data, size_t size) {
    auto text = std::make_shared<std::string>(data, size);
    _texts.push_back(text);
    return text->c_str();
}

const char* Header::preserve(const Filter::Memory& memory) {
    const char* data = memory.data();
    return preserve(data == nullptr ? "" : data, memory.size());
}

const char* Header::encode(const Key& key, const HeaderField& field) {
    requireFieldName(key);
    const Capabilities& standard = Capabilities::standard();
    const Capabilities& caps = field.encodable(standard) ? standard : Capabilities::utf8();
    std::string plain;
    {
        Filter::String sink(&plain);
        field.encode(caps, static_cast<Filter::Result*>(&sink), true);
    }
    if (unfolded(plain, key.size() + 2, standard.hardLimit())) {
        // blanks the word wrapper would merge: written as they are
        std::string line = std::string(key.data(), key.size()) + ": " + plain + "\r\n";
        return preserve(line.data(), line.size());
    }
    Filter::Memory memory;
    {
        Filter::WordWrap wrap(standard.limits(), Filter::BufferSize(), &memory);
        wrap.append(key.data(), key.size(), false);
        wrap.append(": ", 2, true);
        field.encode(caps, &wrap, true);
        wrap.flush();
    }
    memory.append("\r\n", 2, true);
    return preserve(memory);
}

const char* Header::encode(const Key& key, const Value& value) {
    requireFieldName(key);
    Filter::Memory memory;
    {
        Filter::NewlineConverter converter(&memory, "\r\n", 0);
        Filter::WordWrap wrap(Capabilities::standard().limits(), Filter::BufferSize(), &converter);
        wrap.append(key.data(), key.size(), false);
        wrap.append(": ", 2, true);
        if (key.supportsEncodedWords()) {
            // encoded words are decoded and the text encoded again as needed;
            // one whose bytes do not convert goes back as it stood
            Filter::MimeHeaderEncode encoder(wrap.size().bytes(), Capabilities::standard().preferred(),
                                             Filter::MimeHeaderEncoding(), &wrap);
            FlushGuard guard(&encoder);
            Filter::MimeHeaderDecode decoder("utf-8", &guard, false, true, &encoder);
            decoder.append(value.data(), value.size(), true);
            decoder.flush();
            encoder.flush();
        } else {
            wrap.append(value.data(), value.size(), true);
        }
        wrap.flush();
    }
    memory.append("\r\n", 2, true);
    return preserve(memory);
}

size_t Header::encode(const Capabilities& caps, Filter::Result* out, bool persistent) const {
    size_t total = 0;
    for (const Line& line : _lines)
        total += line.encode(caps, out, persistent);
    if (_terminator != nullptr) return total + out->append(_terminator, 2, persistent);
    return total + out->append("\r\n", 2, true);
}

void Header::replaceFirst(const Key& name, const char* text) {
    Line line(text);
    auto first = std::find_if(_lines.begin(), _lines.end(),
                              [&](const Line& l) { return named(l, name.data(), name.size()); });
    if (first == _lines.end()) {
        _lines.push_back(std::move(line));
        return;
    }
    size_t index = static_cast<size_t>(first - _lines.begin());
    _lines.erase(std::remove_if(_lines.begin() + static_cast<std::ptrdiff_t>(index) + 1, _lines.end(),
                                [&](const Line& l) { return named(l, name.data(), name.size()); }),
                 _lines.end());
    _lines[index] = std::move(line);
}

void Header::insert(size_t position, const char* text) {
    Line line(text);
    _lines.insert(_lines.begin() + static_cast<std::ptrdiff_t>(position), std::move(line));
}

void Header::set(const char* name, const HeaderField& field) {
    if (name == nullptr) return;
    Key key = keyOf(name);
    replaceFirst(key, encode(key, field));
}

void Header::set(const HeaderIterator& it, const HeaderField& field) {
    // an iterator of another header must not reach past these lines
    if (it == end() || it.index() >= _lines.size()) return;
    Line& line = _lines[it.index()];
    line.set(encode(line.key, field));
}

void Header::append(const char* name, const HeaderField& field) {
    if (name == nullptr) return;
    try {
        insert(_lines.size(), encode(keyOf(name), field));
    } catch (const std::exception&) {
        // adding is best effort: the header keeps the lines it had
    }
}

void Header::prepend(const char* name, const HeaderField& field) {
    if (name == nullptr) return;
    try {
        insert(0, encode(keyOf(name), field));
    } catch (const std::exception&) {
        // adding is best effort: the header keeps the lines it had
    }
}

void Header::set(const DateTime& field) {
    set("Date", field);
}

void Header::set(const ContentID& field) {
    set("Content-ID", field);
}

void Header::set(const ContentType& field) {
    set("Content-Type", field);
}

void Header::set(const ContentDisposition& field) {
    set("Content-Disposition", field);
}

void Header::set(const ContentTransferEncoding& field) {
    set("Content-Transfer-Encoding", field);
}

const char* Header::compose(const Key& name, const Key& written, const char* value) {
    size_t size = std::strlen(value);
    std::unique_ptr<HeaderField> field;
    try {
        field = FieldTypes::parse(name, value, size);
    } catch (const std::exception&) {
        // a value that does not parse is stored as the caller's text
    }
    // a value that parses only in part keeps the caller's text, as a field
    // of a parsed message keeps its bytes: composed, it would lose the rest
    if (field && field->whole()) {
        try {
            return encode(written, *field);
        } catch (const std::exception&) {
            // it parses but cannot be written: stored as the caller's text
        }
    }
    return encode(name, Value(value, size));
}

void Header::set(const char* name, const char* value) {
    if (name == nullptr || *name == '\0' || value == nullptr || *value == '\0') return;
    Key key = keyOf(name);
    replaceFirst(key, compose(key, spelling(key), value));
}

void Header::set(const HeaderIterator& it, const char* value) {
    if (it == end() || it.index() >= _lines.size() || value == nullptr || *value == '\0') return;
    Line& line = _lines[it.index()];
    line.set(compose(line.key, line.key, value));
}

void Header::append(const char* name, const char* value) {
    if (name == nullptr || value == nullptr) return;
    try {
        Key key = keyOf(name);
        insert(_lines.size(), compose(key, key, value));
    } catch (const std::exception&) {
        // adding is best effort: the header keeps the lines it had
    }
}

void Header::prepend(const char* name, const char* value) {
    if (name == nullptr || value == nullptr) return;
    try {
        Key key = keyOf(name);
        insert(0, compose(key, key, value));
    } catch (const std::exception&) {
        // adding is best effort: the header keeps the lines it had
    }
}

void Header::remove(const char* name) {
    if (name == nullptr) return;
    size_t length = std::strlen(name);
    remove([&](const Line& line) { return named(line, name, length); });
}

void Header::remove(size_t index) {
    if (index < _lines.size()) _lines.erase(_lines.begin() + static_cast<std::ptrdiff_t>(index));
}

HeaderIterator Header::remove(const HeaderIterator& it) {
    remove(it.index());
    return HeaderIterator(this, it.index(), it.filter());
}

void Header::remove(const std::function<bool(const Line&)>& predicate) {
    _lines.erase(std::remove_if(_lines.begin(), _lines.end(), predicate), _lines.end());
}

void Header::sort(const Key& key, const std::function<bool(const Value&, const Value&)>& less) {
    std::vector<size_t> positions;
    for (size_t i = 0; i < _lines.size(); ++i)
        if (named(_lines[i], key.data(), key.size())) positions.push_back(i);
    std::vector<size_t> sorted = positions;
    // a stable sort stays within bounds even when the caller's order is not
    // a strict weak ordering
    std::stable_sort(sorted.begin(), sorted.end(),
                     [&](size_t a, size_t b) { return less(_lines[a].value, _lines[b].value); });
    std::vector<Line> copy = _lines;
    for (size_t i = 0; i < positions.size(); ++i)
        _lines[positions[i]] = copy[sorted[i]];
}

void Header::sort(const std::function<bool(const Line&, const Line&)>& less) {
    std::stable_sort(_lines.begin(), _lines.end(), less);
}

void Header::clear() {
    _lines.clear();
    _texts.clear();
    _terminator = nullptr;
}

} // namespace Orvanta::Mime
