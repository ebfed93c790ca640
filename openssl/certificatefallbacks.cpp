// The certificate wrappers that read OpenSSL 1.0's structures or count
// references under its lock, where that series has no function of its own.
#include "dynamic/function.h"
#include "openssl/functions.h"
#include "openssl/legacy.h"
#include "openssl/library.h"

namespace Orvanta::OpenSSL {

using Dynamic::Function;
using Dynamic::OptionalFunction;

namespace {

const Legacy::Certificate* legacy(const x509_st* certificate) {
    return reinterpret_cast<const Legacy::Certificate*>(certificate);
}

} // namespace

long X509_version(const x509_st* certificate) {
    if (library().oldApi()) {
        static Function<long(const asn1_string_st*)> func(library(), "ASN1_INTEGER_get");
        return func(legacy(certificate)->cert_info->version);
    }
    static Function<long(const x509_st*)> func(library(), "X509_get_version");
    return func(certificate);
}

int X509_up_ref(x509_st* certificate) {
    static OptionalFunction<int(x509_st*)> up_ref(library(), "X509_up_ref");
    if (up_ref) return up_ref(certificate);
    // 1.0: raise the counter inside the certificate under OpenSSL's own lock
    static Function<int(int*, int, int, const char*, int)> add_lock(library(), "CRYPTO_add_lock");
    auto* counted = reinterpret_cast<Legacy::Certificate*>(certificate);
    int count =
        add_lock(&counted->references, 1, Legacy::lockX509, Legacy::sourceName, Legacy::lineX509UpRef);
    // a live certificate had at least one reference, so anything but 1 is the raised count
    return count != 1 ? 1 : 0;
}

asn1_string_st* X509_get_notBefore_(x509_st* certificate) {
    if (library().oldApi()) return legacy(certificate)->cert_info->validity->notBefore;
    static Function<asn1_string_st*(const x509_st*)> func(library(), "X509_getm_notBefore");
    return func(certificate);
}

asn1_string_st* X509_get_notAfter_(x509_st* certificate) {
    if (library().oldApi()) return legacy(certificate)->cert_info->validity->notAfter;
    static Function<asn1_string_st*(const x509_st*)> func(library(), "X509_getm_notAfter");
    return func(certificate);
}

} // namespace Orvanta::OpenSSL
