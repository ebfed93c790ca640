#include "amqp/sslerrorprinter.h"

#include "amqp/openssl.h"

#include <cerrno>
#include <cstring>

namespace AMQP {

namespace {

constexpr int errorSsl = 1;
constexpr int errorSyscall = 5;

} // namespace

int sslerrorprintercallback(const char* line, size_t length, void* target) {
    static_cast<std::string*>(target)->append(line, length);
    return 0;
}

SslErrorPrinter::SslErrorPrinter(int error) {
    int code = errno;
    if (error == errorSsl) {
        OpenSSL::ERR_print_errors_cb(sslerrorprintercallback, &_text);
        if (!_text.empty() && _text.back() == '\n') _text.pop_back();
        // OpenSSL said nothing more: an empty text would tell the user less
        if (_text.empty()) _text = "unknown ssl error";
    } else if (error == errorSyscall) {
        // errno 0: the peer closed the socket without a TLS close
        _text = code != 0 ? strerror(code) : "SSL_R_UNEXPECTED_EOF_WHILE_READING";
    } else {
        _text = "unknown ssl error";
    }
}

} // namespace AMQP
