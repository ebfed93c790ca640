#include "openssl/exception.h"

#include "openssl/functions.h"

#include <string>

namespace Orvanta::OpenSSL {

namespace {
std::string reason(unsigned long code) {
    if (code == 0) return "Unknown error code";
    const char* text = ERR_reason_error_string(code);
    return text ? text : "Unknown error: error strings not loaded";
}
} // namespace

Exception::Exception(unsigned long code) : std::runtime_error(reason(code)) {}

} // namespace Orvanta::OpenSSL
