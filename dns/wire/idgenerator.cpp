#include "dns/wire/idgenerator.h"

namespace DNS {

IdGenerator::IdGenerator() : _engine(std::random_device{}()), _distribution(1, 65535) {}

thread_local IdGenerator randomids;

} // namespace DNS
