// A comma-separated list of mailboxes ("from", "resent-from").
#pragma once

#include "mime/grammar/headerfield.h"
#include "mime/grammar/mailbox.h"

#include <memory>
#include <vector>

namespace Orvanta::Mime {

class Mailboxes : public HeaderField {
public:
    Mailboxes(const char* data, size_t size, bool strict);

    using Encodable::encode;
    size_t encode(const Capabilities& caps, Filter::Result* out, bool persistent) const override;
    size_t encode(const Capabilities& caps, Filter::LineLength* out, bool persistent) const override;
    size_t encode(const Capabilities& caps, Filter::WordWrap* out, bool persistent) const override;
    bool encodable(const Capabilities& caps) const override;
    // no element of comments alone was passed over, and every mailbox can
    // be written back as it was read: the list stands for all its text
    bool whole() const override;

    const std::vector<std::shared_ptr<Mailbox>>& mailboxes() const { return _mailboxes; }
    size_t consumed() const { return _consumed; }

private:
    std::vector<std::shared_ptr<Mailbox>> _mailboxes;
    size_t _consumed = 0;
    bool _bare = false;
};

} // namespace Orvanta::Mime
