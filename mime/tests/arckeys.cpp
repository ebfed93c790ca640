#include "mime/tests/arckeys.h"

#include "dns/tests/wire.h"
#include "mime/tests/dkimkeys.h"

namespace Orvanta::Mime::Test {

void answer(Dns::DkimRecords& records, std::string const& name, std::string const& text) {
    Orvanta::Test::Wire wire;
    wire.header(1, 0x8180, 1, 1).name(name).u16(16).u16(1);
    std::string strings;
    for (size_t at = 0; at < text.size(); at += 255)
        strings += char(std::min<size_t>(255, text.size() - at)) + text.substr(at, 255);
    wire.record(name, 16, strings);
    records.onResolved(nullptr, wire.response());
}

ArcPublicKeys::Lookup testKeyLookup() {
    return [](ArcPublicKeys::Key const& key, Dns::DkimRecords& records) {
        answer(records, key.selector + "._domainkey." + key.domain, "v=DKIM1; k=rsa; p=" + testKey().record);
    };
}

} // namespace Orvanta::Mime::Test
