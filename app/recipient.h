// An address as the "recipients" header carries it, whichever road it came
// by: an argument of the command line or a To, Cc or Bcc field.
#pragma once

#include "mime/grammar/address.h"

#include <string>

class Recipient {
public:
    // The address rendered as UTF-8. Throws std::runtime_error when that is
    // not UTF-8 text without controls (PlainText::clean): a C1 control or a
    // byte that is no UTF-8, as it stood, quoted or from an encoded word;
    // and when an encoded word of the local part decoded to U+FFFD.
    static std::string text(const Orvanta::Mime::Address& address);
};
