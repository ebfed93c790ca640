// The text of a failed TLS call, from SSL_get_error's result: OpenSSL's own
// error lines, the system's error, or a fixed text.
#pragma once

#include <cstddef>
#include <string>

namespace AMQP {

class SslErrorPrinter {
public:
    // reads errno and OpenSSL's error queue as they are now
    explicit SslErrorPrinter(int error);

    const char* data() const { return _text.c_str(); }
    size_t size() const { return _text.size(); }

private:
    std::string _text;
};

// appends one line of OpenSSL's error queue to the std::string at target
int sslerrorprintercallback(const char* line, size_t length, void* target);

} // namespace AMQP
