// Damage tracking grid.
#include "gfx/damage.h"

#include <algorithm>
#include <cstring>

#include "gfx/image.h"

namespace mw {

void DamageGrid::resize(int32_t width, int32_t height) {
  width_ = std::max(width, 0);
  height_ = std::max(height, 0);
  columns_ = (width_ + DAMAGE_TILE - 1) / DAMAGE_TILE;
  rows_ = (height_ + DAMAGE_TILE - 1) / DAMAGE_TILE;
  tiles_.assign(static_cast<size_t>(columns_) * rows_, 0);
  any_ = false;
}

void DamageGrid::clear() {
  if (any_) std::memset(tiles_.data(), 0, tiles_.size());
  any_ = false;
}

void DamageGrid::markAll() {
  if (tiles_.empty()) return;
  std::memset(tiles_.data(), 1, tiles_.size());
  any_ = true;
}

void DamageGrid::mark(int64_t x0, int64_t y0, int64_t x1, int64_t y1) {
  x0 = std::max<int64_t>(x0, 0);
  y0 = std::max<int64_t>(y0, 0);
  x1 = std::min<int64_t>(x1, width_);
  y1 = std::min<int64_t>(y1, height_);
  if (x0 >= x1 || y0 >= y1) return;
  const int64_t c0 = x0 / DAMAGE_TILE;
  const int64_t c1 = (x1 - 1) / DAMAGE_TILE;
  for (int64_t row = y0 / DAMAGE_TILE; row <= (y1 - 1) / DAMAGE_TILE; ++row) {
    std::memset(tiles_.data() + row * columns_ + c0, 1, static_cast<size_t>(c1 - c0 + 1));
  }
  any_ = true;
}

void DamageGrid::add(const DamageGrid& other) {
  if (!other.any_ || other.tiles_.size() != tiles_.size()) return;
  for (size_t i = 0; i < tiles_.size(); ++i) tiles_[i] |= other.tiles_[i];
  any_ = true;
}

void markWhole(DamageGrid* grid) {
  if (grid) grid->markAll();
}

}  // namespace mw
