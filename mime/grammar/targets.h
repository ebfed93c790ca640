// An address list ("to", "cc", "bcc", "reply-to"): comma-separated targets,
// each a mailbox or a group, in text order.
#pragma once

#include "mime/grammar/headerfield.h"
#include "mime/grammar/target.h"

#include <functional>
#include <memory>
#include <vector>

namespace Orvanta::Mime {

class Targets : public HeaderField {
public:
    // strict: any bad element, or text left over, throws; lenient drops bad
    // elements up to the next ','
    Targets(const char* data, size_t size, bool strict);

    // The same parse, each target handed to `visit` as it stands and not
    // kept, so a long list costs one target's memory at a time (a strict
    // parse may still throw after some were visited). Returns the bytes taken.
    static size_t each(const char* data, size_t size, bool strict,
                       const std::function<void(const Target&)>& visit);

    using Encodable::encode;
    size_t encode(const Capabilities& caps, Filter::Result* out, bool persistent) const override;
    size_t encode(const Capabilities& caps, Filter::LineLength* out, bool persistent) const override;
    size_t encode(const Capabilities& caps, Filter::WordWrap* out, bool persistent) const override;
    bool encodable(const Capabilities& caps) const override;

    bool contains(const Address& address) const;
    // no group member was dropped as unreadable, and no element of comments
    // alone passed over: the list stands for all its text
    bool whole() const override;

    const std::vector<std::shared_ptr<Target>>& targets() const { return _targets; }
    size_t consumed() const { return _consumed; }

private:
    std::vector<std::shared_ptr<Target>> _targets;
    size_t _consumed = 0;
    bool _bare = false;
};

} // namespace Orvanta::Mime
