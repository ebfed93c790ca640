// The message the client read, parsed as a MIME message, asked for the
// addresses it is meant for. It points into the bytes it was parsed from,
// which must outlive it.
#pragma once

#include "mime/message/object.h"

#include <string>
#include <vector>

namespace Tarvex {

class Message : public Orvanta::Mime::Object {
public:
    // Throws what the header parser throws ("Empty header" for no bytes).
    Message(const char* data, size_t size);
    ~Message() override = default;

    // The addresses of the "to", "cc" and "bcc" lines, in that order and in
    // message order, rendered as UTF-8. Duplicates stay. Throws
    // std::runtime_error naming the field when a line is not entirely a
    // valid address list, or holds an address that the command line would
    // refuse as well (Recipient::text).
    std::vector<std::string> recipients() const;

    // The sender: the address of the first of "return-path", "from" and
    // "sender" that holds a valid mailbox; empty when none does.
    std::string envelope() const;
};

} // namespace Tarvex
