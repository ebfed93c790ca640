#include "mime/authentication/dkimsignature.h"

#include "filter/linelength.h"
#include "filter/wordwrap.h"
#include "mime/authentication/dkimtagvalue.h"
#include "mime/authentication/signaturestatus.h"
#include "mime/grammar/ascii.h"
#include "mime/grammar/capabilities.h"
#include "mime/grammar/empty.h"
#include "mime/grammar/mess.h"
#include "mime/grammar/require.h"
#include "mime/grammar/whitespace.h"
#include "mime/message/header.h"
#include "mime/message/object.h"

#include <algorithm>
#include <cstring>
#include <functional>
#include <stdexcept>

namespace Orvanta::Mime {

namespace {

size_t blanks(const char* data, size_t size) {
    return Whitespace(data, size, false).consumed();
}

// The line whose value starts at `origin`, found by its address: the lines
// of a parsed header lie in the message text in their order, so a binary
// search finds it where comparing texts would scan the header. Lines added
// since may stand out of order and be missed; null then, or when no value
// starts there.
const Line* lineAt(const Header& header, const char* origin) {
    const auto& lines = header.lines();
    std::less<const char*> before;
    auto after =
        std::upper_bound(lines.begin(), lines.end(), origin,
                         [&before](const char* p, const Line& line) { return before(p, line.data()); });
    if (after == lines.begin()) return nullptr;
    const Line& line = *(after - 1);
    return line.value.data() == origin ? &line : nullptr;
}

// A repeated tag ends the parse whatever the mode.
struct Duplicate {};

// A decoded z= or q= text written so that it reads back the same: the bytes
// that would end or split the entry, and blanks, as quoted characters.
size_t quoted(const std::string& text, Filter::Result* out, size_t from = 0) {
    static const char hex[] = "0123456789ABCDEF";
    size_t total = 0;
    size_t start = 0;
    for (size_t i = from; i < text.size(); ++i) {
        auto c = static_cast<unsigned char>(text[i]);
        if (c > 0x20 && c < 0x7f && c != '|' && c != ';' && c != '=') continue;
        total += out->append(text.data() + start, i - start, false);
        char escape[3] = {'=', hex[c >> 4], hex[c & 15]};
        total += out->append(escape, 3, false);
        start = i + 1;
    }
    return total + out->append(text.data() + start, text.size() - start, false);
}

} // namespace

DkimTagName::DkimTagName(std::string& name, const char* data, size_t size, bool strict) {
    size_t n = 0;
    if (size > 0 && Ascii::isAlpha(data[0])) {
        n = 1;
        while (n < size && (Ascii::isAlnum(data[n]) || data[n] == '_'))
            ++n;
    }
    name.assign(data, n);
    if (strict && n == 0) throw std::runtime_error("invalid name: " + name);
    _consumed = n;
}

DkimSignature::DkimSignature(const char* data, size_t size, bool strict, bool partial)
    : _source(data, size), _origin(data) {
    try {
        parse(data, size, strict, partial);
    } catch (const std::runtime_error&) {
        throw;
    } catch (const std::exception& error) {
        // every failure of a parse reads as one kind
        throw std::runtime_error(error.what());
    }
}

void DkimSignature::parse(const char* data, size_t size, bool strict, bool partial) {
    // the two lists are not kept among the tags: whether they were seen
    bool headers = false;
    bool copied = false;
    size_t position = 0;
    while (position < size) {
        // where a failure is reported from: before the name, before the '='
        // or at the start of the value
        size_t at = position;
        try {
            at += blanks(data + at, size - at);
            std::string name;
            at += DkimTagName(name, data + at, size - at, strict).consumed();
            // RFC 6376 3.2: a repeated tag makes the whole list invalid
            bool seen = name == "h" ? headers : name == "z" ? copied : _tags.count(name) != 0;
            if (seen) throw Duplicate();
            at += blanks(data + at, size - at);
            Require(data + at, size - at, '=');
            ++at;
            at += blanks(data + at, size - at);
            if (name == "h") {
                DkimHeaderFields fields(data + at, size - at);
                _headers = fields;
                at += fields.consumed();
                headers = true;
            } else if (name == "z") {
                at += DkimCopiedHeaderFields(_copied, data + at, size - at).consumed();
                copied = true;
            } else {
                std::string value;
                at += DkimTagValue(name, value, data + at, size - at, strict).consumed();
                _tags.emplace(name, std::move(value));
            }
            // a new name, the repeated ones having ended the parse
            _order.push_back(name);
            position = at;
        } catch (const Duplicate&) {
            throw std::runtime_error("duplicate names");
        } catch (const std::exception& error) {
            if (_tags.empty() && at >= size) throw std::runtime_error(error.what());
            if (at < size && strict) throw std::runtime_error("dkim header is invalid");
            // the bad tag is passed over up to the next ';'
            position = at + Mess(data + at, size - at, ";").consumed();
        }
        position += blanks(data + position, size - position);
        if (position >= size) break;
        if (data[position] != ';') {
            if (strict) throw std::runtime_error("missing ;");
            finish(false, partial);
            return;
        }
        ++position;
    }
    finish(strict, partial);
}

void DkimSignature::finish(bool strict, bool partial) {
    auto identity = _tags.find("i");
    if (!partial && identity != _tags.end())
        _auid = identity->second;
    else
        _auid = "@" + domain();
    if (strict && !partial && !complete()) throw std::runtime_error("header is incomplete");
}

void DkimSignature::remember(const std::string& name) {
    if (std::find(_order.begin(), _order.end(), name) == _order.end()) _order.push_back(name);
}

void DkimSignature::from(size_t index) {
    _position = index;
}

const std::string& DkimSignature::get(const std::string& name) const {
    auto found = _tags.find(name);
    return found == _tags.end() ? empty_string() : found->second;
}

void DkimSignature::set(const std::string& name, std::string value) {
    // changed: no longer the text it was read from
    _source.clear();
    auto found = _tags.find(name);
    if (found != _tags.end()) {
        found->second = std::move(value);
        return;
    }
    _tags.emplace(name, std::move(value));
    _order.push_back(name);
}

void DkimSignature::report(bool on) {
    if (on) {
        set("r", "y");
        return;
    }
    auto found = std::find(_order.begin(), _order.end(), "r");
    if (found == _order.end()) return;
    _order.erase(found);
    _tags.erase("r");
    _source.clear();
}

void DkimSignature::headers(const char* data, size_t size, bool oversign) {
    _source.clear();
    _headers = DkimHeaderFields(data, size);
    if (oversign) _headers.oversign();
    remember("h");
}

bool DkimSignature::complete() const {
    for (const char* name : {"v", "a", "b", "bh", "d", "s"})
        if (!has(name)) return false;
    return !_headers.empty();
}

Key DkimSignature::key() const {
    return Key("DKIM-Signature", 14);
}

const Line* DkimSignature::line(const Header& header) const {
    Key name = key();
    auto named = [&name](const Line& candidate) {
        return candidate.key.size() == name.size() &&
               Ascii::equalNoCase(candidate.key.data(), name.data(), name.size());
    };
    // the text this was parsed from: the same tags without a second parse,
    // first on the line it was gathered from
    auto source = [this, &named](const Line& candidate) {
        const Value& value = candidate.value;
        return !_source.empty() && named(candidate) && value.size() == _source.size() &&
               std::memcmp(value.data(), _source.data(), value.size()) == 0;
    };
    if (_position < header.size() && source(header[_position])) return &header[_position];
    const Line* found = _source.empty() ? nullptr : lineAt(header, _origin);
    if (found != nullptr && source(*found)) return found;
    if (!_source.empty())
        for (const Line& candidate : header.lines())
            if (source(candidate)) return &candidate;
    for (const Line& candidate : header.lines()) {
        if (!named(candidate)) continue;
        try {
            DkimSignature parsed(candidate.value.data(), candidate.value.size(), true, false);
            if (sameTags(parsed)) return &candidate;
        } catch (const std::exception&) {
            // a field that does not parse cannot be this signature
        }
    }
    return nullptr;
}

const Value& DkimSignature::original(const Header& header) const {
    const Line* found = line(header);
    return found ? found->value : empty_value();
}

bool DkimSignature::valid(const Object& message, const OpenSSL::PublicKey& key, bool strict) const {
    DkimStatus status;
    return status.initialize(message, *this, key, strict) == Status::pass;
}

size_t DkimSignature::encode(const Capabilities& caps, Filter::Result* out, bool persistent) const {
    size_t total = 0;
    bool first = true;
    for (const std::string& name : _order) {
        if (!first) total += out->append("; ", 2, true);
        first = false;
        total += out->append(name.data(), name.size(), persistent);
        total += out->append("=", 1, true);
        if (name == "h") {
            total += _headers.encode(caps, out, persistent);
        } else if (name == "z") {
            for (size_t i = 0; i < _copied.size(); ++i) {
                if (i != 0) total += out->append("|", 1, true);
                // the name is written as it is, the value quoted
                total += quoted(_copied[i], out, _copied[i].find(':') + 1);
            }
        } else if (name == "q") {
            total += quoted(get(name), out);
        } else {
            const std::string& value = get(name);
            total += out->append(value.data(), value.size(), persistent);
        }
    }
    return total;
}

size_t DkimSignature::encode(const Capabilities& caps, Filter::WordWrap* out, bool persistent) const {
    return encode(caps, static_cast<Filter::Result*>(out), persistent);
}

size_t DkimSignature::encode(const Capabilities& caps, Filter::LineLength* out, bool persistent) const {
    Filter::WordWrap wrap(caps.limits(), out->size(), out);
    size_t total = encode(caps, &wrap, persistent);
    return total + wrap.flush();
}

} // namespace Orvanta::Mime
