// The screen size, set only by the desktop capture and read everywhere.
#pragma once
#include <cstdint>

namespace mw {

extern int32_t screenWidth;
extern int32_t screenHeight;

}  // namespace mw
