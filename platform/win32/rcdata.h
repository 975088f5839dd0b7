// RCDATA resources of the running executable, as entries of the core's picture table.
#pragma once
#include <cstdint>

#include "gfx/resources.h"

namespace mw {

// The bytes of RCDATA resource `number` of this executable; bytes null and size 0 when it has none.
EmbeddedResource rcdataResource(int32_t number);

}  // namespace mw
