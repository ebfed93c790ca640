// A mailbox: an optional display name and an address, in angle brackets
// when a name comes first or comments go with it. The comments it was read
// with are kept and written back where readers read them as they did.
#pragma once

#include "mime/grammar/address.h"
#include "mime/grammar/comments.h"
#include "mime/grammar/displayname.h"
#include "mime/grammar/headerfield.h"
#include "mime/grammar/optional.h"

namespace Orvanta::Mime {

class Mailbox : public HeaderField {
public:
    // strict: the mailbox must use the whole text
    Mailbox(const char* data, size_t size, bool strict);
    // the same, with the display name at the start of the text already read
    // (a list reads it to tell a group from a mailbox), so that its words
    // are not decoded twice
    Mailbox(DisplayName name, const char* data, size_t size, bool strict);
    // a name given by the program and an address parsed strictly
    Mailbox(const char* name, size_t nameSize, const char* address, size_t addressSize);

    size_t encode(const Capabilities& caps, Filter::Result* out, bool persistent) const override;
    size_t encode(const Capabilities& caps, Filter::LineLength* out, bool persistent) const override;
    size_t encode(const Capabilities& caps, Filter::WordWrap* out, bool persistent) const override;
    bool encodable(const Capabilities& caps) const override;
    // false when a comment stood inside a bare address: no mailbox written
    // again with it elsewhere reads the same to every reader
    bool whole() const override { return _whole; }
    // never: a mailbox has no members to drop (see Target)
    bool dropped() const { return false; }

    const DisplayName& name() const { return _name; }
    const Address& address() const { return _address; }
    size_t consumed() const { return _consumed; }

private:
    bool bracketed() const;
    size_t address(const Capabilities& caps, Filter::Result* out, bool persistent) const;
    size_t address(const Capabilities& caps, Filter::WordWrap* out, bool persistent) const;
    // the mailbox into any of the sinks
    template <typename Out>
    size_t write(const Capabilities& caps, Out* out, bool persistent) const;

    DisplayName _name;
    Optional _open;
    // the bytes of an obsolete source route after '<', read and dropped
    size_t _route;
    Address _address;
    Optional _close;
    size_t _consumed = 0;
    bool _whole = true;
    // before the name or the address, after the name, inside the angle
    // brackets, after the mailbox
    Comments _leading;
    Comments _nameComments;
    Comments _inside;
    Comments _comments;
};

} // namespace Orvanta::Mime
