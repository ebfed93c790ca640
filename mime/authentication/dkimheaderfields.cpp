#include "mime/authentication/dkimheaderfields.h"

#include "filter/result.h"
#include "mime/authentication/dkimtagvalue.h"
#include "mime/grammar/ascii.h"
#include "mime/grammar/require.h"
#include "mime/grammar/whitespace.h"

#include <stdexcept>
#include <unordered_set>

namespace Orvanta::Mime {

namespace {

size_t blanks(const char* data, size_t size) {
    return Whitespace(data, size, false).consumed();
}

} // namespace

DkimHeaderFields::DkimHeaderFields(const char* data, size_t size) {
    size_t n = blanks(data, size);
    std::string name;
    n += DkimFieldname(name, data + n, size - n).consumed();
    _names.push_back(name);
    while (n < size) {
        n += blanks(data + n, size - n);
        if (n >= size || data[n] != ':') break;
        ++n;
        n += blanks(data + n, size - n);
        try {
            n += DkimFieldname(name, data + n, size - n).consumed();
        } catch (const std::runtime_error&) {
            break;
        }
        _names.push_back(name);
    }
    _consumed = n;
}

void DkimHeaderFields::oversign() {
    // A verifier takes one more instance of a name, bottom up, for each time
    // the list names it: a copy between two real ones would take the upper
    // field in place of the surplus and leave the lower one unsigned. So the
    // one surplus copy comes after the name's last place in the list.
    std::vector<bool> last(_names.size());
    std::unordered_set<std::string> seen;
    for (size_t i = _names.size(); i-- > 0;) {
        std::string name = _names[i];
        for (char& c : name)
            c = Ascii::toLower(c);
        last[i] = seen.insert(std::move(name)).second;
    }
    std::vector<std::string> result;
    for (size_t i = 0; i < _names.size(); ++i) {
        result.push_back(_names[i]);
        if (last[i]) result.push_back(_names[i]);
    }
    _names = std::move(result);
}

size_t DkimHeaderFields::encode(const Capabilities&, Filter::Result* out, bool persistent) const {
    size_t total = 0;
    size_t column = 2;
    for (size_t i = 0; i < _names.size(); ++i) {
        const std::string& name = _names[i];
        if (column + name.size() > 74) {
            total += out->append(" ", 1, true);
            column = name.size();
        } else {
            column += name.size();
        }
        total += out->append(name.data(), name.size(), persistent);
        if (i + 1 == _names.size()) break;
        if (column > 73) {
            total += out->append(" :", 2, true);
            column = 1;
        } else if (column == 73) {
            total += out->append(": ", 2, true);
            column = 0;
        } else {
            total += out->append(":", 1, true);
            column += 1;
        }
    }
    return total;
}

DkimFieldname::DkimFieldname(std::string& name, const char* data, size_t size) {
    size_t n = 0;
    while (n < size) {
        auto c = static_cast<unsigned char>(data[n]);
        if (c < 0x21 || c > 0x7e || c == ':' || c == ';') break;
        ++n;
    }
    if (n == 0) throw std::runtime_error("field name requires at least one character");
    name.assign(data, n);
    _consumed = n;
}

DkimCopiedHeaderFields::DkimCopiedHeaderFields(std::vector<std::string>& list, const char* data,
                                               size_t size) {
    size_t n = blanks(data, size);
    std::string entry;
    n += DkimCopiedHeaderField(entry, data + n, size - n).consumed();
    list.push_back(entry);
    while (n < size) {
        size_t at = n + blanks(data + n, size - n);
        if (at >= size || data[at] != '|') break;
        ++at;
        at += blanks(data + at, size - at);
        entry.clear();
        at += DkimCopiedHeaderField(entry, data + at, size - at).consumed();
        list.push_back(entry);
        n = at;
    }
    _consumed = n;
}

DkimCopiedHeaderField::DkimCopiedHeaderField(std::string& entry, const char* data, size_t size) {
    size_t n = DkimFieldname(entry, data, size).consumed();
    n += blanks(data + n, size - n);
    Require(data + n, size - n, ':');
    ++n;
    entry += ':';
    n += DkimQuotedText(entry, data + n, size - n).consumed();
    _consumed = n;
}

} // namespace Orvanta::Mime
