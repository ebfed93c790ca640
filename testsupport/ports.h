// Loopback ports for tests that need an address where no broker answers.
#pragma once

namespace Orvanta::Test {

// A 127.0.0.1 port on which nothing listens. It stays bound, without a
// listen, for the rest of the test program, so connections to it are
// refused and no test running beside it can take it meanwhile.
int closedPort();

} // namespace Orvanta::Test
