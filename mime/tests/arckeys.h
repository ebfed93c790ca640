// Test helper: the key records of the test key as a name server would
// answer them, for the ARC key lookups of the tests and the benchmark (the
// counterpart of the peers' DNS hooks).
#pragma once

#include "mime/authentication/arcpublickeys.h"

namespace Orvanta::Mime::Test {

// answers every key with the test key's record
ArcPublicKeys::Lookup testKeyLookup();
// The text after one hop of ours: the chain validated, an
// Authentication-Results field of `id` with the arc= result added, then
// sealed for `domain` (selector "ours"); empty when sealing fails.
std::string seal(const std::string& text, const std::string& id, const char* domain = "ours.example");
// the answer of a name server to the TXT question `name` with this record text
void answer(Dns::DkimRecords& records, const std::string& name, const std::string& text);

} // namespace Orvanta::Mime::Test
