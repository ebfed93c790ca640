// What a signer or a sealer writes of its caller's values: the domain, the
// selector and the algorithm of its key in the form verifiers read them, the
// expiration and the extra names of h=. Each is checked before anything is
// written: a value that no tag can carry is refused, so that none can end
// its tag early or add tags of its own text.
#pragma once

#include <string>

namespace Orvanta::Mime {

class ExtraHeaders;
struct DkimKey;

class SignerValues {
public:
    // Throws std::runtime_error "invalid signing domain", "invalid selector"
    // and the errors of Algorithm.
    explicit SignerValues(const DkimKey& key);

    // d=: the ASCII form of the key's domain without a final dot
    const std::string& domain() const { return _domain; }
    // s=: the selector with its U-labels as A-labels
    const std::string& selector() const { return _selector; }
    // a=: the algorithm's name in lower case
    const char* algorithm() const { return _algorithm; }

    // x= for an absolute time; throws "invalid expiration" for one below
    // zero or of more than 12 digits
    static std::string expiration(long time);
    // throws "invalid header name" for an extra name that h= cannot carry
    static void check(const ExtraHeaders& extra);

private:
    std::string _domain;
    std::string _selector;
    const char* _algorithm;
};

} // namespace Orvanta::Mime
