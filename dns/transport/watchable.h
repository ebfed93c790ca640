// Guards code that calls out while iterating: a Watcher on a Watchable turns
// invalid when the Watchable is destroyed, so the caller learns that a
// callback destroyed the object it was walking. The event library's pair,
// under the resolver's names.
#pragma once

#include "event/monitor.h"
#include "event/watchable.h"

namespace DNS {

using Watchable = Orvanta::Event::Watchable;
using Watcher = Orvanta::Event::Monitor;

} // namespace DNS
