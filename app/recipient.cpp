#include "app/recipient.h"

#include "app/plaintext.h"

#include <stdexcept>

std::string Recipient::text(const Orvanta::Mime::Address& address) {
    std::string text = static_cast<std::string>(address);
    // The mail transfer agent reads the list as UTF-8 text: a byte that is no
    // UTF-8 would reach it unreadable, and a C1 control, which the address
    // grammar takes for a letter, as a control all the same.
    if (!PlainText::clean(text)) throw std::runtime_error("address not UTF-8 text without controls: " + text);
    // a replacement character would name a mailbox nobody wrote
    if (address.local().replaced())
        throw std::runtime_error("address with an encoded word that is no text in its charset: " + text);
    return text;
}
