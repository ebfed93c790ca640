// One piece of bytes on their way to the broker, for writes gathered from
// several places (a frame header, a message body that is not copied, an end
// marker).
#pragma once

#include <cstddef>
#include <memory>

namespace AMQP {

struct OutPiece {
    const char* data;
    size_t size;
    // the bytes stay valid for as long as the keeper given with the piece
    // is held, so a writer may keep a pointer instead of a copy; otherwise
    // they are valid during the call only
    bool lasting;
};

// Holds bytes alive for whoever still has to write them.
using Keeper = std::shared_ptr<const void>;

} // namespace AMQP
