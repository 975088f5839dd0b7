// Presentation through Direct3D 9: a lockable X8R8G8B8 back buffer, filled row by row and presented.
#pragma once
#include <windows.h>
#include <d3d9.h>

#include <cstdint>

namespace mw {

class D3d9Presenter {
 public:
  D3d9Presenter() = default;
  ~D3d9Presenter() { release(); }
  D3d9Presenter(const D3d9Presenter&) = delete;
  D3d9Presenter& operator=(const D3d9Presenter&) = delete;

  // (Re)builds the device for the window on the given monitor: exclusive full-screen at the
  // monitor's current mode, or windowed. False when no device could be made (nothing is shown).
  bool build(HWND window, HMONITOR monitor, int width, int height, bool windowed);
  // Copies the frame into the back buffer and presents it. False when the device is lost; it is
  // rebuilt as soon as the system allows.
  bool present(const uint32_t* pixels, int width, int height);
  // Copies only the changed rectangles into the back buffer, which keeps the last frame (a copy
  // swap effect), and presents only them; the whole frame when the back buffer holds none yet or
  // `whole` asks for it (the window was painted over). False when the device is lost.
  bool presentRegions(const uint32_t* pixels, int width, int height, const RECT* rects, int count, bool whole);
  // True when the back buffer holds the last frame presented, of this size.
  bool holdsFrame(int width, int height) const { return holdsFrame_ && width == width_ && height == height_; }
  void release();

  // The monitor's refresh rate as Direct3D reports it; 0 when unknown.
  int refreshHz() const { return refreshHz_; }
  bool ready() const { return device_ != nullptr; }

 private:
  bool restoreLost();
  // Puts one rectangle of the frame into the back buffer (through the system-memory surface, and
  // uploaded from there when `upload`); false when it could not.
  bool copyRect(const uint32_t* pixels, int width, const RECT& r, bool upload);

  IDirect3D9* direct3d_ = nullptr;
  IDirect3DDevice9* device_ = nullptr;
  IDirect3DSurface9* backBuffer_ = nullptr;
  IDirect3DSurface9* staging_ = nullptr;  // system memory, the frame's size
  D3DPRESENT_PARAMETERS parameters_{};
  HWND window_ = nullptr;
  HMONITOR monitor_ = nullptr;
  int width_ = 0;
  int height_ = 0;
  bool windowed_ = false;
  bool lost_ = false;
  bool holdsFrame_ = false;
  // The dirty region handed to Present: a header and up to MAX_DIRTY rectangles.
  static constexpr int MAX_DIRTY = 48;
  struct DirtyRegion {
    RGNDATAHEADER header;
    RECT rects[MAX_DIRTY];
  } dirty_{};
  int refreshHz_ = 0;
};

}  // namespace mw
