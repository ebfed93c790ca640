#include "app/message.h"

#include "mime/grammar/mailbox.h"
#include "mime/grammar/targets.h"

#include <exception>

namespace Tarvex {

Message::Message(const char* data, size_t size) : Object(data, size) {}

std::vector<std::string> Message::recipients() const {
    std::vector<std::string> result;
    for (const char* name : {"to", "cc", "bcc"}) {
        for (const auto& value : header.all(name)) {
            // Only the addresses are kept while the line is read: a line of
            // many thousands costs their text, not their parsed targets.
            size_t before = result.size();
            try {
                Orvanta::Mime::Targets::each(
                    value.data(), value.size(), true, [&](const Orvanta::Mime::Target& target) {
                        for (const auto& mailbox : target.members())
                            result.push_back(static_cast<std::string>(mailbox->address()));
                    });
            } catch (const std::exception&) {
                // a line that is not a valid address list is skipped whole:
                // a recipient list must not be guessed at
                result.resize(before);
            }
        }
    }
    return result;
}

std::string Message::envelope() const {
    for (const char* name : {"return-path", "from", "sender"}) {
        if (!header.contains(name)) continue;
        const auto& value = header.get(name);
        try {
            Orvanta::Mime::Mailbox mailbox(value.data(), value.size(), true);
            return static_cast<std::string>(mailbox.address());
        } catch (const std::exception&) {
            // not a mailbox: the next header may still name the sender
        }
    }
    return {};
}

} // namespace Tarvex
