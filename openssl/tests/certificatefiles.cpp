#include "openssl/tests/certificatefiles.h"

#include "openssl/functions.h"
#include "openssl/tests/keyfiles.h"
#include "testsupport/process.h"

#include <sstream>
#include <stdexcept>
#include <vector>

namespace Orvanta::OpenSSL::Test {

namespace {

std::string run(const std::vector<std::string>& argv) {
    auto result = Orvanta::Test::runProcess(argv);
    if (result.status != 0) throw std::runtime_error("openssl " + argv[1] + " failed: " + result.err);
    return result.out;
}

CertificateFiles make() {
    std::string dir = Orvanta::Test::scratchDir("openssl-certificates");
    CertificateFiles files;
    files.caCertificate = dir + "/ca.pem";
    files.caKey = dir + "/ca.key";
    files.serverCertificate = dir + "/server.pem";
    files.serverKey = dir + "/server.key";
    files.serverChain = dir + "/chain.pem";
    run({"openssl",
         "req",
         "-x509",
         "-newkey",
         "ec",
         "-pkeyopt",
         "ec_paramgen_curve:P-256",
         "-nodes",
         "-keyout",
         files.caKey,
         "-out",
         files.caCertificate,
         "-days",
         "30",
         "-subj",
         "/CN=Orvanta Test CA/O=Orvanta",
         "-addext",
         "basicConstraints=critical,CA:TRUE",
         "-addext",
         "keyUsage=critical,keyCertSign,cRLSign"});
    run({"openssl", "genpkey", "-algorithm", "EC", "-pkeyopt", "ec_paramgen_curve:P-256", "-out",
         files.serverKey});
    run({"openssl", "req", "-new", "-key", files.serverKey, "-subj", "/CN=server.test/O=Orvanta Tests",
         "-out", dir + "/server.csr"});
    writeFile(dir + "/extensions", "subjectAltName=DNS:server.test,DNS:alt.server.test,DNS:*.wild.test\n"
                                   "keyUsage=critical,digitalSignature\n");
    // a serial number longer than a machine word
    run({"openssl", "x509", "-req", "-in", dir + "/server.csr", "-CA", files.caCertificate, "-CAkey",
         files.caKey, "-set_serial", "0x1a2b3c4d5e6f708192a3", "-days", "30", "-extfile", dir + "/extensions",
         "-out", files.serverCertificate});
    writeFile(files.serverChain, readFile(files.serverCertificate) + readFile(files.caCertificate));
    files.serverText = run({"openssl", "x509", "-in", files.serverCertificate, "-noout", "-text"});

    run({"openssl", "x509", "-in", files.serverCertificate, "-noout", "-pubkey", "-out",
         dir + "/server.pub"});
    run({"openssl", "pkey", "-pubin", "-in", dir + "/server.pub", "-outform", "DER", "-out",
         dir + "/server.spki"});
    run({"openssl", "dgst", "-sha256", "-binary", "-out", dir + "/server.spki.sha256", dir + "/server.spki"});
    files.serverKeyDigest = readFile(dir + "/server.spki.sha256");
    return files;
}

} // namespace

const CertificateFiles& certificateFiles() {
    static const CertificateFiles files = make();
    return files;
}

void X509Free::operator()(x509_st* certificate) const {
    X509_free(certificate);
}

OwnedCertificate readCertificate(const std::string& path) {
    std::string pem = readFile(path);
    bio_st* bio = BIO_new_mem_buf(pem.data(), static_cast<int>(pem.size()));
    OwnedCertificate certificate(PEM_read_bio_X509(bio, nullptr, nullptr, nullptr));
    BIO_free(bio);
    if (!certificate) throw std::runtime_error("cannot read the certificate " + path);
    return certificate;
}

std::string textField(const std::string& text, const std::string& label, bool next) {
    std::istringstream lines(text);
    std::string line;
    while (std::getline(lines, line)) {
        size_t start = line.find_first_not_of(' ');
        if (start == std::string::npos || line.compare(start, label.size(), label) != 0) continue;
        if (!next) return line.substr(start + label.size());
        std::getline(lines, line);
        start = line.find_first_not_of(' ');
        return start == std::string::npos ? std::string() : line.substr(start);
    }
    throw std::runtime_error("no " + label + " in the openssl command's text");
}

} // namespace Orvanta::OpenSSL::Test
