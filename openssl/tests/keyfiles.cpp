#include "openssl/tests/keyfiles.h"

#include "openssl/functions.h"
#include "testsupport/process.h"

#include <fstream>
#include <map>
#include <sstream>
#include <stdexcept>

namespace Orvanta::OpenSSL::Test {

std::string readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) throw std::runtime_error("cannot read " + path);
    std::ostringstream out;
    out << in.rdbuf();
    return out.str();
}

void writeFile(const std::string& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary);
    out << bytes;
    if (!out) throw std::runtime_error("cannot write " + path);
}

void PkeyFree::operator()(evp_pkey_st* key) const {
    EVP_PKEY_free(key);
}

OwnedKey readPrivateKey(const std::string& path) {
    std::string pem = readFile(path);
    bio_st* bio = BIO_new_mem_buf(pem.data(), static_cast<int>(pem.size()));
    OwnedKey key(PEM_read_bio_PrivateKey(bio, nullptr, nullptr, nullptr));
    BIO_free(bio);
    if (!key) throw std::runtime_error("cannot read the private key " + path);
    return key;
}

namespace {
void run(const std::vector<std::string>& argv) {
    auto result = Orvanta::Test::runProcess(argv);
    if (result.status != 0) throw std::runtime_error(argv[0] + " " + argv[1] + " failed: " + result.err);
}
} // namespace

const KeyFiles& keyFiles(const std::string& kind) {
    static std::map<std::string, KeyFiles> made;
    auto found = made.find(kind);
    if (found != made.end()) return found->second;
    std::string dir = Orvanta::Test::scratchDir("openssl-keys-" + kind);
    KeyFiles files{dir + "/private.pem", dir + "/public.pem", {}};
    if (kind == "rsa" || kind == "rsa512")
        run({"openssl", "genpkey", "-algorithm", "RSA", "-pkeyopt",
             kind == "rsa" ? "rsa_keygen_bits:2048" : "rsa_keygen_bits:512", "-out", files.privatePath});
    else if (kind == "rsa-pss")
        run({"openssl", "genpkey", "-algorithm", "RSA-PSS", "-pkeyopt", "rsa_keygen_bits:2048", "-out",
             files.privatePath});
    else
        run({"openssl", "genpkey", "-algorithm", "EC", "-pkeyopt", "ec_paramgen_curve:P-256", "-out",
             files.privatePath});
    run({"openssl", "pkey", "-in", files.privatePath, "-pubout", "-out", files.publicPath});
    files.publicPem = readFile(files.publicPath);
    return made.emplace(kind, files).first->second;
}

bool opensslVerifies(const std::string& kind, const std::string& digest, const std::string& data,
                     const std::string& signature) {
    std::string dir = Orvanta::Test::scratchDir("openssl-verify");
    writeFile(dir + "/data", data);
    writeFile(dir + "/signature", signature);
    auto result =
        Orvanta::Test::runProcess({"openssl", "dgst", "-" + digest, "-verify", keyFiles(kind).publicPath,
                                   "-signature", dir + "/signature", dir + "/data"});
    return result.status == 0 && result.out == "Verified OK\n";
}

} // namespace Orvanta::OpenSSL::Test
