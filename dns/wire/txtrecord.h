// A TXT record with its character-strings joined without separators.
#pragma once

#include "dns/wire/answerrecord.h"

#include <string>

namespace Orvanta::Dns {

class TxtRecord : public Record {
public:
    // A character-string running past the record data is a
    // std::runtime_error; empty strings are skipped.
    TxtRecord(const DNS::Message& message, int index);

    const std::string& text() const { return _text; }
    size_t size() const { return _text.size(); }

private:
    std::string _text;
};

} // namespace Orvanta::Dns
