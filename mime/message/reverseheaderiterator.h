// ReverseHeaderIterator is the backward instance of the one header iterator.
#pragma once

#include "mime/message/headeriterator.h"
