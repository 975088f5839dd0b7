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
  rowMarked_.assign(static_cast<size_t>(rows_), 0);
  any_ = false;
}

void DamageGrid::clear() {
  translucent_ = false;
  if (!any_) return;
  for (int32_t row = 0; row < rows_; ++row) {
    if (rowMarked_[row] == 0) continue;
    std::memset(tiles_.data() + static_cast<size_t>(row) * columns_, 0, static_cast<size_t>(columns_));
    rowMarked_[row] = 0;
  }
  any_ = false;
}

void DamageGrid::markAll() {
  if (tiles_.empty()) return;
  std::memset(tiles_.data(), 1, tiles_.size());
  std::memset(rowMarked_.data(), 1, rowMarked_.size());
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
    rowMarked_[static_cast<size_t>(row)] = 1;
  }
  any_ = true;
}

void DamageGrid::add(const DamageGrid& other) {
  if (!other.any_ || other.tiles_.size() != tiles_.size()) return;
  for (int32_t row = 0; row < rows_; ++row) {
    if (other.rowMarked_[row] == 0) continue;
    uint8_t* mine = tiles_.data() + static_cast<size_t>(row) * columns_;
    const uint8_t* theirs = other.tiles_.data() + static_cast<size_t>(row) * columns_;
    for (int32_t c = 0; c < columns_; ++c) mine[c] |= theirs[c];
    rowMarked_[row] = 1;
  }
  any_ = true;
}

int64_t DamageGrid::count() const {
  int64_t n = 0;
  if (!any_) return 0;
  for (int32_t row = 0; row < rows_; ++row) {
    if (rowMarked_[row] == 0) continue;
    const uint8_t* tiles = tiles_.data() + static_cast<size_t>(row) * columns_;
    for (int32_t c = 0; c < columns_; ++c) n += tiles[c];
  }
  return n;
}

void markWhole(DamageGrid* grid) {
  if (grid) grid->markAll();
}

}  // namespace mw
