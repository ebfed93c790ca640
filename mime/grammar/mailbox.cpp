#include "mime/grammar/mailbox.h"

#include "filter/linelength.h"
#include "filter/wordwrap.h"
#include "mime/grammar/ascii.h"
#include "mime/grammar/capabilities.h"
#include "mime/grammar/domainpart.h"
#include "mime/grammar/internal.h"
#include "mime/grammar/scanner.h"

#include <stdexcept>

namespace Orvanta::Mime {

namespace {

bool opens(const DisplayName& name, const char* data, size_t size) {
    Scanner scanner(data, size);
    scanner.advance(name.consumed());
    return scanner.at('<');
}

// The obsolete source route of an address in angle brackets, "@relay1,
// @relay2:" or ",@relay1:" (RFC 5322 section 4.4): readers must accept it, and nobody
// routes by it any more, so it is read and dropped. Returns the bytes it
// takes after the '<', 0 when there is none.
size_t routeOf(bool open, const DisplayName& name, const char* data, size_t size) {
    if (!open) return 0;
    size_t start = name.consumed() + 1;
    Scanner scanner(data + start, size - start);
    // the list of domains may begin with empty elements: "<,@relay:"
    while (scanner.skipBlanks(true) > 0 || scanner.take(','))
        continue;
    if (!scanner.at('@')) return 0;
    while (scanner.take('@')) {
        scanner.advance(DomainPart(scanner.here(), scanner.left()).consumed());
        // domains are separated by commas, with room for empty elements
        while (scanner.take(','))
            scanner.skipBlanks(true);
    }
    if (!scanner.take(':')) throw std::runtime_error("colon expected after route");
    return scanner.position();
}

Address addressOf(bool open, size_t route, const DisplayName& name, const char* data, size_t size) {
    if (!open) return Address(data, size, false);
    size_t start = name.consumed() + 1 + route;
    return Address(data + start, size - start, false);
}

} // namespace

Mailbox::Mailbox(const char* data, size_t size, bool strict)
    : _name(data, size), _open(opens(_name, data, size)), _route(routeOf(_open.present(), _name, data, size)),
      _address(addressOf(_open.present(), _route, _name, data, size)) {
    Scanner scanner(data, size);
    if (_open.present()) {
        scanner.advance(_name.consumed() + 1 + _route + _address.consumed());
        if (scanner.take('>')) {
            _close.present(true);
            // folding white space or a comment may stand between '>' and the
            // next ',' of a list
            scanner.skipBlanks(true);
        }
    } else {
        _name = DisplayName();
        scanner.advance(_address.consumed());
    }
    if (_open.present() != _close.present()) throw std::runtime_error("unmatched '<' and '>' brackets");
    if (strict && !scanner.atEnd()) throw std::runtime_error("Did not manage to process all the input");
    _consumed = scanner.position();
    // with no name to follow, a comment before '<' goes after the address;
    // one in the dropped route goes with it
    size_t split = _name.empty() ? 0 : _name.consumed();
    size_t route = _open.present() ? _name.consumed() + 1 : _consumed;
    _nameComments.collect(data, 0, split);
    _comments.collect(data, split, route);
    _comments.collect(data, route + _route, _consumed);
}

Mailbox::Mailbox(const char* name, size_t nameSize, const char* address, size_t addressSize)
    : _name(Internal(name, nameSize)), _route(0), _address(address, addressSize, true) {}

size_t Mailbox::encode(const Capabilities& caps, Filter::Result* out, bool persistent) const {
    if (_name.empty()) return _address.encode(caps, out, persistent) + _comments.encode(caps, out);
    size_t written = _name.encode(caps, out, persistent) + _nameComments.encode(caps, out);
    written += out->append(" <", 2, true);
    written += _address.encode(caps, out, persistent);
    return written + out->append(">", 1, true) + _comments.encode(caps, out);
}

size_t Mailbox::encode(const Capabilities& caps, Filter::LineLength* out, bool persistent) const {
    Filter::WordWrap wrap(caps.limits(), out->size(), out);
    return encode(caps, &wrap, persistent) + wrap.flush();
}

size_t Mailbox::encode(const Capabilities& caps, Filter::WordWrap* out, bool persistent) const {
    // the word wrapper must neither fold an address nor merge the blanks of
    // a quoted local part: it goes whole
    std::string address = _address.str(caps.eightbit());
    if (_name.empty()) return out->keep(address.data(), address.size()) + _comments.encode(caps, out);
    size_t written = _name.encode(caps, out, persistent) + _nameComments.encode(caps, out);
    written += out->append(" <", 2, true);
    written += out->keep(address.data(), address.size());
    return written + out->append(">", 1, true) + _comments.encode(caps, out);
}

bool Mailbox::encodable(const Capabilities& caps) const {
    return caps.eightbit() || _address.encodable(caps);
}

} // namespace Orvanta::Mime
