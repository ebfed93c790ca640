#include "filter/rfc2231.h"

namespace Orvanta::Filter {

const char Rfc2231::specials[] = " *'%()<>@,;:\\\"/[]?=";

Rfc2231::Rfc2231(Result* next) : HexEncode(next, specials) {}

} // namespace Orvanta::Filter
