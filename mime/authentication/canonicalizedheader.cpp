#include "mime/authentication/canonicalizedheader.h"

#include "filter/newlineconverter.h"
#include "filter/string.h"
#include "mime/authentication/canonicalization.h"
#include "mime/grammar/ascii.h"
#include "mime/message/header.h"
#include "mime/message/line.h"

#include <cstring>
#include <unordered_map>
#include <vector>

namespace Orvanta::Mime {

namespace {

std::string lower(std::string text) {
    for (char& c : text)
        c = Ascii::toLower(c);
    return text;
}

// the blanks that relaxed canonicalization folds
bool blank(char c) {
    return c == ' ' || c == '\t';
}

} // namespace

size_t CanonicalizedHeader::Relaxed::append(const char* data, size_t size, bool) {
    for (size_t i = 0; i < size; ++i) {
        char c = data[i];
        // A CR LF is a fold or the field's end and goes; a CR alone ends no
        // line and is content, as every verifier reads it.
        if (_cr) {
            _cr = false;
            if (c == '\n') continue;
            byte('\r');
        }
        if (c == '\r') {
            _cr = true;
            continue;
        }
        if (c == '\n') continue;
        if (_state == 2 && !blank(c)) {
            // a word is copied whole
            size_t end = i + 1;
            while (end < size && !blank(data[end]) && data[end] != '\r' && data[end] != '\n')
                ++end;
            _target->append(data + i, end - i);
            i = end - 1;
            continue;
        }
        byte(c);
    }
    return size;
}

void CanonicalizedHeader::Relaxed::byte(char c) {
    bool space = blank(c);
    switch (_state) {
    case 0:
        // a name holds no blank: one here stands before the colon (RFC 6376
        // 3.4.2 deletes it)
        if (space) break;
        *_target += Ascii::toLower(c);
        if (c == ':') _state = 1;
        break;
    case 2:
        if (space)
            _state = 3;
        else
            *_target += c;
        break;
    default:
        if (space) break;
        if (_state == 3) *_target += ' ';
        _state = 2;
        *_target += c;
        break;
    }
}

CanonicalizedHeader::CanonicalizedHeader(const Capabilities& caps, const Header& header,
                                         const ExtraHeaders& extra, SignatureType type, bool simple)
    : _caps(caps), _simple(simple) {
    const auto& lines = header.lines();
    for (size_t i = lines.size(); i-- > 0;) {
        const Line& line = lines[i];
        if (line.key.canonicalized(type) || extra.contains(line.key)) add(line);
    }
}

CanonicalizedHeader::CanonicalizedHeader(const Capabilities& caps, const Header& header, bool simple,
                                         const DkimHeaderFields& names)
    : _caps(caps), _simple(simple) {
    // The lines of each listed name, bottom up, found in one walk over the
    // header that ends once every listed name has as many lines as it is
    // listed: a name listed again takes the next line up. A line is looked
    // at by the length of its name first, so that checking each of many
    // signatures costs little for every other field of the header.
    struct Lines {
        size_t listed = 0;
        std::vector<size_t> positions;
        size_t taken = 0;
    };
    std::unordered_map<std::string, Lines> byName;
    std::vector<bool> lengths;
    size_t needed = names.names().size();
    for (const std::string& name : names.names()) {
        ++byName[lower(name)].listed;
        if (name.size() >= lengths.size()) lengths.resize(name.size() + 1);
        lengths[name.size()] = true;
    }
    const auto& lines = header.lines();
    for (size_t i = lines.size(); i-- > 0 && needed > 0;) {
        const Key& key = lines[i].key;
        if (key.size() >= lengths.size() || !lengths[key.size()]) continue;
        auto found = byName.find(lower(std::string(key.data(), key.size())));
        if (found == byName.end() || found->second.positions.size() == found->second.listed) continue;
        found->second.positions.push_back(i);
        --needed;
    }
    for (const std::string& name : names.names()) {
        Lines& named = byName.find(lower(name))->second;
        if (named.taken < named.positions.size()) add(lines[named.positions[named.taken++]]);
    }
}

void CanonicalizedHeader::add(const Line& line) {
    _fields.add(std::string(line.key.data(), line.key.size()));
    ++_count;
    if (_simple) {
        // the field as it stands, its own line end included
        Filter::String sink(&_text);
        line.encode(_caps, &sink, true);
    } else {
        Relaxed sink(&_text);
        line.encode(_caps, &sink, true);
        _text += "\r\n";
    }
}

void CanonicalizedHeader::signature(const char* data, size_t size) {
    // the field's own line end is not part of it
    while (size > 0 && (data[size - 1] == '\n' || data[size - 1] == '\r'))
        --size;
    if (_simple) {
        Filter::String sink(&_text);
        Filter::NewlineConverter converter(&sink, "\r\n", 0);
        converter.append(data, size, true);
        converter.flush();
    } else {
        Relaxed sink(&_text);
        sink.append(data, size, true);
    }
}

void CanonicalizedHeader::signature(const Line& line) {
    size_t name = line.key.consumed();
    std::string text(line.data(), name);
    text += NakedSignature(line.data() + name, line.size() - name).text();
    signature(text.data(), text.size());
}

NakedSignature::NakedSignature(const char* data, size_t size) {
    _text.reserve(size);
    int state = 0;
    for (size_t i = 0; i < size; ++i) {
        char c = data[i];
        switch (state) {
        case 0:
            if (c == '=')
                state = 3;
            else if (c == 'b')
                state = 2;
            else if (!Ascii::isSpace(c) && c != ';')
                state = 1;
            break;
        case 1:
            if (c == ';')
                state = 0;
            else if (c == '=')
                state = 3;
            break;
        case 2:
            if (c == '=')
                state = 4;
            else if (c == ';')
                state = 0;
            else if (!Ascii::isSpace(c))
                state = 1;
            break;
        case 3:
            if (c == ';') state = 0;
            break;
        default:
            if (c != ';') continue;
            state = 0;
            break;
        }
        _text += c;
    }
}

} // namespace Orvanta::Mime
