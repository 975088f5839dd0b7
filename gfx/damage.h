// Damage tracking: which parts of a picture changed, kept as a grid of square tiles.
#pragma once
#include <cstddef>
#include <cstdint>
#include <vector>

namespace mw {

inline constexpr int32_t DAMAGE_TILE = 16;  // tile side in pixels

// A grid of damaged tiles over a width x height area. Marking is clipped to the area and costs a
// few stores; nothing allocates except resize.
class DamageGrid {
 public:
  // Covers a new area, nothing damaged.
  void resize(int32_t width, int32_t height);
  // Nothing damaged.
  void clear();
  // Everything damaged.
  void markAll();
  // Damages the pixels x0 <= x < x1, y0 <= y < y1 (clipped to the area).
  void mark(int64_t x0, int64_t y0, int64_t x1, int64_t y1);
  // Damages whatever other (of the same size) has damaged.
  void add(const DamageGrid& other);

  bool any() const { return any_; }
  // Notes that a pixel whose alpha is not 255 may have been drawn (cleared with the grid).
  void markTranslucent() { translucent_ = true; }
  bool translucent() const { return translucent_; }
  // The number of damaged tiles.
  int64_t count() const;
  int32_t width() const { return width_; }
  int32_t height() const { return height_; }
  int32_t columns() const { return columns_; }
  int32_t rows() const { return rows_; }
  bool damaged(int32_t column, int32_t row) const { return tiles_[static_cast<std::size_t>(row) * columns_ + column] != 0; }

  // Calls f(x0, y0, x1, y1) for every run of neighbouring damaged tiles in a tile row, top row
  // first, left to right, in pixels clipped to the area and to the rows top <= y < bottom.
  template <class F>
  void forEachRun(F&& f, int32_t top = 0, int32_t bottom = INT32_MAX) const {
    if (!any_) return;
    top = top > 0 ? top : 0;
    bottom = bottom < height_ ? bottom : height_;
    if (top >= bottom) return;
    for (int32_t row = top / DAMAGE_TILE; row <= (bottom - 1) / DAMAGE_TILE; ++row) {
      if (rowMarked_[static_cast<std::size_t>(row)] == 0) continue;
      const uint8_t* tiles = tiles_.data() + static_cast<std::size_t>(row) * columns_;
      const int32_t y0 = row * DAMAGE_TILE > top ? row * DAMAGE_TILE : top;
      const int32_t y1 = (row + 1) * DAMAGE_TILE < bottom ? (row + 1) * DAMAGE_TILE : bottom;
      for (int32_t c = 0; c < columns_;) {
        if (tiles[c] == 0) {
          ++c;
          continue;
        }
        const int32_t start = c;
        while (c < columns_ && tiles[c] != 0) ++c;
        const int32_t x1 = c * DAMAGE_TILE < width_ ? c * DAMAGE_TILE : width_;
        f(start * DAMAGE_TILE, y0, x1, y1);
      }
    }
  }

 private:
  int32_t width_ = 0;
  int32_t height_ = 0;
  int32_t columns_ = 0;
  int32_t rows_ = 0;
  bool any_ = false;
  bool translucent_ = false;
  std::vector<uint8_t> tiles_;      // rows x columns, 1 where damaged
  std::vector<uint8_t> rowMarked_;  // per tile row, 1 when any of its tiles may be damaged
};

}  // namespace mw
