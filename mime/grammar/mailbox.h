// A mailbox: an optional display name and an address, in angle brackets
// when a name comes first. The comments it was read with are kept and
// written back: those before the '<' after the name, where readers take them
// as part of it, the others after the address.
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
    // a name given by the program and an address parsed strictly
    Mailbox(const char* name, size_t nameSize, const char* address, size_t addressSize);

    size_t encode(const Capabilities& caps, Filter::Result* out, bool persistent) const override;
    size_t encode(const Capabilities& caps, Filter::LineLength* out, bool persistent) const override;
    size_t encode(const Capabilities& caps, Filter::WordWrap* out, bool persistent) const override;
    bool encodable(const Capabilities& caps) const override;

    const DisplayName& name() const { return _name; }
    const Address& address() const { return _address; }
    size_t consumed() const { return _consumed; }

private:
    DisplayName _name;
    Optional _open;
    // the bytes of an obsolete source route after '<', read and dropped
    size_t _route;
    Address _address;
    Optional _close;
    size_t _consumed = 0;
    Comments _nameComments;
    Comments _comments;
};

} // namespace Orvanta::Mime
