// Test helper: the key records of the test key as a name server would
// answer them, for the ARC key lookups of the tests and the benchmark (the
// counterpart of the peers' DNS hooks).
#pragma once

#include "mime/arcpublickeys.h"

namespace Orvanta::Mime::Test {

// answers every key with the test key's record
ArcPublicKeys::Lookup testKeyLookup();
// the answer of a name server to the TXT question `name` with this record text
void answer(Dns::DkimRecords& records, std::string const& name, std::string const& text);

} // namespace Orvanta::Mime::Test
