// Which kind of signature header fields are selected for, DKIM or ARC: the
// field names know which of them a signer covers by default (Key), and the
// signers canonicalize by it.
#pragma once

namespace Orvanta::Mime {

enum class SignatureType { dkim = 0, arc = 1 };

} // namespace Orvanta::Mime
