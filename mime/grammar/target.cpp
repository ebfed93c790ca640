#include "mime/grammar/target.h"

#include "filter/linelength.h"
#include "filter/wordwrap.h"
#include "mime/grammar/capabilities.h"
#include "mime/grammar/collectelements.h"
#include "mime/grammar/delimdetector.h"
#include "mime/grammar/mess.h"
#include "mime/grammar/scanner.h"

#include <exception>
#include <stdexcept>
#include <utility>

namespace Orvanta::Mime {

namespace {

// what may follow a member of a group
bool endsMember(char next) {
    return next == ',' || next == ';' || next == '\0';
}

} // namespace

Target::Target(const char* data, size_t size, bool strict) : _name(data, size) {
    Scanner scanner(data, size);
    scanner.advance(_name.consumed());
    if (!_name.empty() && scanner.take(':')) {
        _group.present(true);
        _nameComments.collect(data, 0, _name.consumed());
        DelimDetector walker(',', [this, strict](const char* element, size_t length) -> size_t {
            // a ';' or NUL ends the group, also where a member was expected
            if (element[0] == ';' || element[0] == '\0') return 0;
            try {
                if (size_t bare = bareElement(element, length, endsMember)) {
                    _bare = true;
                    return bare;
                }
                auto member = std::make_shared<Mailbox>(element, length, false);
                size_t taken = member->consumed();
                if (taken < length && !endsMember(element[taken]))
                    throw std::runtime_error("characters left behind target");
                _members.push_back(member);
                return taken;
            } catch (std::exception const&) {
                if (strict) throw;
                // lenient: drop the member up to the next separator
                _whole = false;
                return Mess(element, length, ",;").consumed();
            }
        });
        scanner.advance(walker.parse(scanner.here(), scanner.left()));
        if (!scanner.atEnd()) {
            if (!scanner.take(';')) throw std::runtime_error("semicolon expected after group");
            size_t end = scanner.position();
            scanner.skipBlanks(true);
            _comments.collect(data, end, scanner.position());
        }
    } else {
        // the name read above is the mailbox's
        auto member = std::make_shared<Mailbox>(std::move(_name), data, size, strict);
        _name = DisplayName();
        scanner = Scanner(data, size);
        scanner.advance(member->consumed());
        _members.push_back(member);
    }
    size_t position = scanner.position();
    if (strict && position < size) throw std::runtime_error("Did not manage to process everything");
    _consumed = position;
}

template <typename Out>
size_t Target::write(const Capabilities& caps, Out* out, bool persistent) const {
    if (!group()) return _members.front()->encode(caps, out, persistent);
    size_t written = _name.encode(caps, out, persistent) + _nameComments.encode(caps, out);
    written += out->append(": ", 2, true);
    for (size_t i = 0; i < _members.size(); ++i) {
        if (i > 0) written += out->append(", ", 2, true);
        written += _members[i]->encode(caps, out, persistent);
    }
    return written + out->append(";", 1, true) + _comments.encode(caps, out);
}

size_t Target::encode(const Capabilities& caps, Filter::Result* out, bool persistent) const {
    return write(caps, out, persistent);
}

size_t Target::encode(const Capabilities& caps, Filter::LineLength* out, bool persistent) const {
    if (!group()) return _members.front()->encode(caps, out, persistent);
    Filter::WordWrap wrap(caps.limits(), out->size(), out);
    return encode(caps, &wrap, persistent) + wrap.flush();
}

size_t Target::encode(const Capabilities& caps, Filter::WordWrap* out, bool persistent) const {
    return write(caps, out, persistent);
}

bool Target::encodable(const Capabilities& caps) const {
    if (caps.eightbit()) return true;
    for (const auto& member : _members)
        if (!member->encodable(caps)) return false;
    return true;
}

bool Target::whole() const {
    return _whole && elementsWhole(_members);
}

bool Target::contains(const Address& address) const {
    for (const auto& member : _members)
        if (member->address() == address) return true;
    return false;
}

} // namespace Orvanta::Mime
