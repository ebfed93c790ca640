#include "amqp/tests/oracle.h"

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

} // namespace AMQP::Test
