#include "app/message.h"

#include "app/recipient.h"
#include "mime/grammar/ascii.h"
#include "mime/grammar/mailbox.h"
#include "mime/grammar/targets.h"

#include <cstring>
#include <exception>
#include <stdexcept>
#include <string_view>
#include <utility>

namespace Tarvex {

namespace {

// The address grammar takes a VT, a FF and a CR without its LF for blanks,
// which a header has none of (its blanks are space and tab, its line end
// CRLF): other readers take them for text or for a line end, and would find
// other mailboxes in the field.
void refuseFalseBlanks(std::string_view value) {
    for (size_t at = 0; at < value.size(); ++at) {
        char c = value[at];
        bool lone = c == '\r' && (at + 1 == value.size() || value[at + 1] != '\n');
        if (c == '\v' || c == '\f' || lone) throw std::runtime_error("a VT, FF or CR without LF");
    }
}

} // namespace

Message::Message(const char* data, size_t size) : Object(data, size) {}

std::vector<std::string> Message::recipients() const {
    std::vector<std::string> result;
    auto collect = [&result](const Orvanta::Mime::Target& target) {
        for (const auto& mailbox : target.members())
            result.push_back(Recipient::text(mailbox->address()));
    };
    for (const auto& [name, shown] : {std::pair{"to", "To"}, {"cc", "Cc"}, {"bcc", "Bcc"}}) {
        for (const auto& line : header.lines()) {
            const auto& key = line.key;
            if (!Orvanta::Mime::Ascii::sameNoCase(key.data(), key.size(), name, std::strlen(name))) continue;
            const auto& value = line.value;
            // Only the addresses are kept while the line is read: a line of
            // many thousands costs their text, not their parsed targets.
            try {
                // the value less its trailing white space, which holds such
                // bytes too: up to the line's end
                refuseFalseBlanks(std::string_view(value.data(), line.data() + line.size() - value.data()));
                Orvanta::Mime::Targets::each(value.data(), value.size(), true, collect);
            } catch (const std::exception& error) {
                // A recipient list must not be guessed at, and a field left
                // out would have the message go to part of its recipients
                // as if they were all of them.
                throw std::runtime_error(std::string("Failed to read the recipients of the message's ") +
                                         shown + " field: " + error.what());
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
