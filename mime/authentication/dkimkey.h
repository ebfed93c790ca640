// What a signer signs with: the private key and the identity it stands for
// (the domain of d=, the selector of s=, the a= algorithm) and whether the
// signature asks for failure reports (r=y).
#pragma once

#include "dns/host/hostname.h"
#include "openssl/key.h"

#include <string>

namespace Orvanta::Mime {

struct DkimKey {
    DkimKey(evp_pkey_st* privateKey, Dns::Hostname signingDomain, std::string keySelector,
            std::string keyAlgorithm = "rsa-sha256", bool reports = false)
        : key(privateKey), domain(std::move(signingDomain)), selector(std::move(keySelector)),
          algorithm(std::move(keyAlgorithm)), report(reports) {}

    OpenSSL::Key key;
    Dns::Hostname domain;
    std::string selector;
    // "rsa-sha1", "rsa-sha256" or "rsa-sha512"
    std::string algorithm;
    bool report;
};

} // namespace Orvanta::Mime
