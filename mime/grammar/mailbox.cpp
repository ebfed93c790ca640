#include "mime/grammar/mailbox.h"

#include "filter/linelength.h"
#include "filter/wordwrap.h"
#include "mime/grammar/ascii.h"
#include "mime/grammar/capabilities.h"
#include "mime/grammar/domainpart.h"
#include "mime/grammar/internal.h"
#include "mime/grammar/scanner.h"

#include <stdexcept>
#include <utility>

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
    : Mailbox(DisplayName(data, size), data, size, strict) {}

Mailbox::Mailbox(DisplayName name, const char* data, size_t size, bool strict)
    : _name(std::move(name)), _open(opens(_name, data, size)),
      _route(routeOf(_open.present(), _name, data, size)),
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
    // Readers take some comments for a name: one after a bare address, and
    // for the older Python reader those before the '>' but after a group's
    // ':'. Each goes back where it stood: before the name or the address,
    // after the name, inside the brackets (ahead of the address), after the
    // '>' or the bare address. One inside a bare address has no such place:
    // the older reader takes it for the name, twice in the local part, and
    // the others only where it stands after the address. One in the dropped
    // route goes with the route.
    Scanner text(data, _consumed);
    size_t first = text.skipBlanks(true);
    if (_open.present()) {
        size_t inside = _name.consumed() + 1 + _route;
        size_t close = inside + _address.consumed();
        _leading.collect(data, 0, first);
        // after an empty name ("") they have no name to follow: inside the
        // brackets they read as they did
        (_name.empty() ? _inside : _nameComments).collect(data, first, _name.consumed());
        _inside.collect(data, inside, close);
        _comments.collect(data, close + 1, _consumed);
    } else {
        size_t end = _address.consumed() - _address.domain().trailing();
        _whole = !Comments::any(data + first, end - first);
        _leading.collect(data, 0, end);
        _comments.collect(data, end, _consumed);
    }
}

Mailbox::Mailbox(const char* name, size_t nameSize, const char* address, size_t addressSize)
    : _name(Internal(name, nameSize)), _route(0), _address(address, addressSize, true) {}

bool Mailbox::bracketed() const {
    // a nameless mailbox with comments keeps its brackets: bare, readers
    // take a comment after it for its name, and the older Python reader one
    // before it for another name than it read
    return !_name.empty() || (_open.present() && !(_leading.empty() && _inside.empty() && _comments.empty()));
}

size_t Mailbox::address(const Capabilities& caps, Filter::Result* out, bool persistent) const {
    return _address.encode(caps, out, persistent);
}

size_t Mailbox::address(const Capabilities& caps, Filter::WordWrap* out, bool) const {
    // the word wrapper must neither fold an address nor merge the blanks of
    // a quoted local part: it goes whole
    std::string address = _address.str(caps.eightbit());
    return out->keep(address.data(), address.size());
}

template <typename Out>
size_t Mailbox::write(const Capabilities& caps, Out* out, bool persistent) const {
    size_t written = _leading.encodeAhead(caps, out);
    if (!bracketed()) return written + address(caps, out, persistent) + _comments.encode(caps, out);
    if (!_name.empty()) written += _name.encode(caps, out, persistent) + _nameComments.encode(caps, out);
    written += _name.empty() ? out->append("<", 1, true) : out->append(" <", 2, true);
    written += _inside.encodeAhead(caps, out) + address(caps, out, persistent);
    return written + out->append(">", 1, true) + _comments.encode(caps, out);
}

size_t Mailbox::encode(const Capabilities& caps, Filter::Result* out, bool persistent) const {
    return write(caps, out, persistent);
}

size_t Mailbox::encode(const Capabilities& caps, Filter::LineLength* out, bool persistent) const {
    Filter::WordWrap wrap(caps.limits(), out->size(), out);
    return encode(caps, &wrap, persistent) + wrap.flush();
}

size_t Mailbox::encode(const Capabilities& caps, Filter::WordWrap* out, bool persistent) const {
    return write(caps, out, persistent);
}

bool Mailbox::encodable(const Capabilities& caps) const {
    return caps.eightbit() || _address.encodable(caps);
}

} // namespace Orvanta::Mime
