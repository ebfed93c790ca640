// One element of an address list: a mailbox, or a named group of mailboxes
// ("name: a@x, b@y;"), whose comments around the name and after the ';' are
// kept.
#pragma once

#include "mime/grammar/comments.h"
#include "mime/grammar/displayname.h"
#include "mime/grammar/headerfield.h"
#include "mime/grammar/mailbox.h"
#include "mime/grammar/optional.h"

#include <memory>
#include <vector>

namespace Orvanta::Mime {

class Target : public HeaderField {
public:
    // strict: every member must parse and the target must use the whole text
    Target(const char* data, size_t size, bool strict);

    size_t encode(const Capabilities& caps, Filter::Result* out, bool persistent) const override;
    size_t encode(const Capabilities& caps, Filter::LineLength* out, bool persistent) const override;
    size_t encode(const Capabilities& caps, Filter::WordWrap* out, bool persistent) const override;
    bool encodable(const Capabilities& caps) const override;

    bool contains(const Address& address) const;
    // no member of the group was dropped as unreadable, and each can be
    // written back as it was read
    bool whole() const override;
    // a member of the group was dropped as unreadable
    bool dropped() const { return !_whole; }
    // a member of comments alone was passed over: the group, whole as it
    // is, is not all its text
    bool bare() const { return _bare; }

    const DisplayName& name() const { return _name; }
    bool group() const { return _group.present(); }
    const std::vector<std::shared_ptr<Mailbox>>& members() const { return _members; }
    size_t consumed() const { return _consumed; }

private:
    // the member alone, or the group piece by piece, into any of the sinks
    template <typename Out>
    size_t write(const Capabilities& caps, Out* out, bool persistent) const;

    DisplayName _name;
    Optional _group;
    std::vector<std::shared_ptr<Mailbox>> _members;
    size_t _consumed = 0;
    bool _whole = true;
    bool _bare = false;
    Comments _nameComments;
    Comments _comments;
};

} // namespace Orvanta::Mime
