#include "amqp/tests/oracle.h"

#include <cctype>
#include <stdexcept>

#include "testsupport/process.h"

namespace AMQP::Test {

std::string python(const std::string& expression, const std::string& prelude) {
    auto result = Orvanta::Test::runProcess(
        {Orvanta::Test::python3(), "-c",
         "import struct, sys\n" + prelude + "\nsys.stdout.buffer.write(" + expression + ")"});
    if (result.status != 0) throw std::runtime_error("python failed: " + result.err);
    return result.out;
}

std::string hex(const std::string& bytes) {
    static const char digits[] = "0123456789abcdef";
    std::string out;
    for (unsigned char c : bytes) {
        if (!out.empty()) out += ' ';
        out += digits[c >> 4];
        out += digits[c & 15];
    }
    return out;
}

std::string unhex(const std::string& text) {
    std::string out;
    int pending = -1;
    for (char c : text) {
        if (c == ' ') continue;
        if (!std::isxdigit(static_cast<unsigned char>(c))) throw std::invalid_argument("not hex: " + text);
        int nibble = std::isdigit(static_cast<unsigned char>(c)) ? c - '0' : std::tolower(c) - 'a' + 10;
        if (pending < 0) {
            pending = nibble;
        } else {
            out += static_cast<char>(pending << 4 | nibble);
            pending = -1;
        }
    }
    if (pending >= 0) throw std::invalid_argument("odd hex: " + text);
    return out;
}

} // namespace AMQP::Test
