#include "mime/message/key.h"

#include "mime/grammar/ascii.h"
#include "mime/message/signaturetype.h"

#include <initializer_list>

namespace Orvanta::Mime {

bool Key::containsMailboxes() const {
    return *this == "from" || *this == "resent-from";
}

bool Key::containsMailbox() const {
    return *this == "sender";
}

bool Key::containsTargets() const {
    for (const char* name :
         {"to", "cc", "bcc", "reply-to", "resent-to", "resent-cc", "resent-bcc", "resent-reply-to"})
        if (*this == name) return true;
    return false;
}

bool Key::supportsEncodedWords() const {
    if (*this == "subject") return true;
    return _size >= 2 && Ascii::equalNoCase(_data, "x-", 2);
}

bool Key::containsAuthenticationResults() const {
    return *this == "authentication-results";
}

bool Key::containsArcAuthenticationResults() const {
    return *this == "arc-authentication-results";
}

bool Key::containsArcSeal() const {
    return *this == "arc-seal";
}

bool Key::containsArcMessageSignature() const {
    return *this == "arc-message-signature";
}

bool Key::containsDkimSignature() const {
    return *this == "dkim-signature";
}

bool Key::fieldName(const char* data, size_t size) {
    if (data == nullptr || size == 0) return false;
    for (size_t i = 0; i < size; ++i)
        if (!Ascii::isPrint(data[i]) || data[i] == ' ' || data[i] == ':') return false;
    return true;
}

bool Key::canonicalized(SignatureType type) const {
    for (const char* name : {"from",
                             "sender",
                             "reply-to",
                             "subject",
                             "date",
                             "message-id",
                             "to",
                             "cc",
                             "mime-version",
                             "content-type",
                             "content-transfer-encoding",
                             "content-id",
                             "content-description",
                             "resent-date",
                             "resent-from",
                             "resent-sender",
                             "resent-to",
                             "resent-cc",
                             "resent-message-id",
                             "in-reply-to",
                             "references",
                             "list-id",
                             "list-help",
                             "list-unsubscribe",
                             "list-unsubscribe-post",
                             "list-subscribe",
                             "list-post",
                             "list-owner",
                             "list-archive"})
        if (*this == name) return true;
    return type == SignatureType::arc && containsDkimSignature();
}

} // namespace Orvanta::Mime
