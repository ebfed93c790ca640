#include "mime/tests/arckeys.h"

#include "dns/tests/wire.h"
#include "mime/authentication/arcsignatures.h"
#include "mime/authentication/arcstatus.h"
#include "mime/authentication/authenticationresults.h"
#include "mime/authentication/dkimkey.h"
#include "mime/grammar/capabilities.h"
#include "mime/message/object.h"
#include "mime/tests/dkimkeys.h"

namespace Orvanta::Mime::Test {

void answer(Dns::DkimRecords& records, const std::string& name, const std::string& text) {
    Orvanta::Test::Wire wire;
    wire.header(1, 0x8180, 1, 1).name(name).u16(16).u16(1);
    std::string strings;
    for (size_t at = 0; at < text.size(); at += 255)
        strings += char(std::min<size_t>(255, text.size() - at)) + text.substr(at, 255);
    wire.record(name, 16, strings);
    records.onResolved(nullptr, wire.response());
}

ArcPublicKeys::Lookup testKeyLookup() {
    return [](const ArcPublicKeys::Key& key, Dns::DkimRecords& records) {
        answer(records, key.selector + "._domainkey." + key.domain, "v=DKIM1; k=rsa; p=" + testKey().record);
    };
}

std::string seal(const std::string& text, const std::string& id, const char* domain) {
    AuthenticationResults results(id);
    {
        Object before(text.data(), text.size());
        ArcSignatures signatures(before);
        ArcPublicKeys keys(testKeyLookup(), signatures);
        results.add(ArcStatus(before, signatures, keys));
    }
    std::string received = "Authentication-Results: " + results.str(true) + "\r\n" + text;
    Object message(received.data(), received.size());
    ArcSignatures signatures(message);
    ArcPublicKeys keys(testKeyLookup(), signatures);
    DkimKey key(testKey().privateKey, Dns::Hostname(domain, false), "ours");
    if (!message.resign(Capabilities::utf8(), signatures, keys, key, results, 0, false)) return "";
    std::string added;
    for (size_t i = 0; i < 3; ++i)
        added += std::string(message.header[i].data(), message.header[i].size());
    return added + received;
}

} // namespace Orvanta::Mime::Test
