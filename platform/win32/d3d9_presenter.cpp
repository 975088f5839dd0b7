// Presentation through Direct3D 9: a lockable X8R8G8B8 back buffer, filled row by row and presented.
#include "platform/win32/d3d9_presenter.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

namespace mw {

namespace {

template <typename T>
void releaseCom(T*& object) {
  if (object != nullptr) object->Release();
  object = nullptr;
}

// The adapter that drives the monitor, or the default one.
UINT adapterFor(IDirect3D9* direct3d, HMONITOR monitor) {
  for (UINT adapter = 0; adapter < direct3d->GetAdapterCount(); ++adapter) {
    if (direct3d->GetAdapterMonitor(adapter) == monitor) return adapter;
  }
  return D3DADAPTER_DEFAULT;
}

}  // namespace

void D3d9Presenter::release() {
  holdsFrame_ = false;
  releaseCom(staging_);
  releaseCom(backBuffer_);
  releaseCom(device_);
  releaseCom(direct3d_);
}

bool D3d9Presenter::build(HWND window, HMONITOR monitor, int width, int height, bool windowed) {
  release();
  window_ = window;
  monitor_ = monitor;
  width_ = width;
  height_ = height;
  windowed_ = windowed;
  lost_ = false;
  holdsFrame_ = false;
  direct3d_ = Direct3DCreate9(D3D_SDK_VERSION);
  if (direct3d_ == nullptr) {
    std::fprintf(stderr, "Mirthwick: Direct3D 9 is not available; nothing is shown\n");
    return false;
  }
  const UINT adapter = adapterFor(direct3d_, monitor);
  D3DDISPLAYMODE mode{};
  refreshHz_ = direct3d_->GetAdapterDisplayMode(adapter, &mode) == D3D_OK ? static_cast<int>(mode.RefreshRate) : 0;

  parameters_ = D3DPRESENT_PARAMETERS{};
  parameters_.BackBufferWidth = static_cast<UINT>(width);
  parameters_.BackBufferHeight = static_cast<UINT>(height);
  parameters_.BackBufferFormat = D3DFMT_X8R8G8B8;  // the frame's own byte order: no conversion
  parameters_.BackBufferCount = 1;
  parameters_.MultiSampleType = D3DMULTISAMPLE_NONE;
  // The back buffer keeps its frame after a present, so the next one copies only what changed.
  parameters_.SwapEffect = D3DSWAPEFFECT_COPY;
  parameters_.hDeviceWindow = window;
  parameters_.Windowed = windowed ? TRUE : FALSE;
  parameters_.EnableAutoDepthStencil = FALSE;
  parameters_.Flags = D3DPRESENTFLAG_LOCKABLE_BACKBUFFER;
  // Full-screen at the monitor's current mode: no change of resolution or rate.
  parameters_.FullScreen_RefreshRateInHz = windowed ? 0 : mode.RefreshRate;
  parameters_.PresentationInterval = D3DPRESENT_INTERVAL_ONE;

  // Nothing is drawn by Direct3D, so software vertex processing serves where hardware is missing.
  // The FPU is left as the program set it, so arithmetic is the same with and without a device.
  const DWORD common = D3DCREATE_FPU_PRESERVE;
  HRESULT result = direct3d_->CreateDevice(adapter, D3DDEVTYPE_HAL, window,
                                           common | D3DCREATE_HARDWARE_VERTEXPROCESSING | D3DCREATE_PUREDEVICE,
                                           &parameters_, &device_);
  if (FAILED(result)) {
    result = direct3d_->CreateDevice(adapter, D3DDEVTYPE_HAL, window, common | D3DCREATE_SOFTWARE_VERTEXPROCESSING,
                                     &parameters_, &device_);
  }
  if ((FAILED(result) || device_ == nullptr) && !windowed) {
    // Some systems cannot give a program the screen to itself (Wine on a virtual X server cannot
    // set the mode): a window of the monitor's size looks the same.
    std::fprintf(stderr, "Mirthwick: no full-screen Direct3D 9 device (0x%08lx); presenting in the window\n",
                 static_cast<unsigned long>(result));
    parameters_.Windowed = TRUE;
    parameters_.FullScreen_RefreshRateInHz = 0;
    result = direct3d_->CreateDevice(adapter, D3DDEVTYPE_HAL, window, common | D3DCREATE_SOFTWARE_VERTEXPROCESSING,
                                     &parameters_, &device_);
  }
  if (FAILED(result) || device_ == nullptr) {
    std::fprintf(stderr, "Mirthwick: no Direct3D 9 device (0x%08lx); nothing is shown\n",
                 static_cast<unsigned long>(result));
    device_ = nullptr;
    releaseCom(direct3d_);
    return false;
  }
  device_->GetBackBuffer(0, 0, D3DBACKBUFFER_TYPE_MONO, &backBuffer_);
  // Where it can be had, frames are copied into a system-memory surface and uploaded from there.
  if (device_->CreateOffscreenPlainSurface(static_cast<UINT>(width), static_cast<UINT>(height), D3DFMT_X8R8G8B8,
                                           D3DPOOL_SYSTEMMEM, &staging_, nullptr) != D3D_OK)
    staging_ = nullptr;
  return true;
}

bool D3d9Presenter::restoreLost() {
  // A full-screen device is lost while another program has the screen; it may be rebuilt once
  // the system says so.
  const HRESULT state = device_ != nullptr ? device_->TestCooperativeLevel() : D3DERR_DEVICENOTRESET;
  if (state == D3DERR_DEVICELOST) return false;
  if (state == D3DERR_DEVICENOTRESET || device_ == nullptr) {
    return build(window_, monitor_, width_, height_, windowed_);
  }
  lost_ = false;
  return true;
}

bool D3d9Presenter::presentRegions(const uint32_t* pixels, int width, int height, const RECT* rects, int count,
                                   bool whole) {
  if (lost_ && !restoreLost()) return false;
  if (device_ == nullptr || backBuffer_ == nullptr) return false;
  if (!holdsFrame(width, height) || count > MAX_DIRTY) return present(pixels, width, height);
  int n = 0;
  RECT bounds{width, height, 0, 0};
  for (int i = 0; i < count; ++i) {
    const RECT r{std::max<LONG>(rects[i].left, 0), std::max<LONG>(rects[i].top, 0),
                 std::min<LONG>(rects[i].right, width), std::min<LONG>(rects[i].bottom, height)};
    if (r.right <= r.left || r.bottom <= r.top) continue;
    if (!copyRect(pixels, width, r, staging_ == nullptr)) return present(pixels, width, height);
    dirty_.rects[n++] = r;
    bounds = RECT{std::min(bounds.left, r.left), std::min(bounds.top, r.top), std::max(bounds.right, r.right),
                  std::max(bounds.bottom, r.bottom)};
  }
  // One upload of the box around them all: each upload has a high price of its own (under Wine,
  // about that of the whole frame), while the box's rows outside the rectangles hold the last
  // frame's pixels already.
  if (n > 0 && staging_ != nullptr) {
    const POINT at{bounds.left, bounds.top};
    if (device_->UpdateSurface(staging_, &bounds, backBuffer_, &at) != D3D_OK) return present(pixels, width, height);
  }
  dirty_.header = RGNDATAHEADER{sizeof(RGNDATAHEADER), RDH_RECTANGLES, static_cast<DWORD>(n),
                                static_cast<DWORD>(n * sizeof(RECT)), RECT{0, 0, width, height}};
  if (n == 0 && !whole) return true;
  const HRESULT result =
      device_->Present(nullptr, nullptr, nullptr, whole ? nullptr : reinterpret_cast<const RGNDATA*>(&dirty_));
  if (result == D3DERR_DEVICELOST) {
    lost_ = true;
    holdsFrame_ = false;
    return false;
  }
  return true;
}

bool D3d9Presenter::copyRect(const uint32_t* pixels, int width, const RECT& r, bool upload) {
  // Into system memory, then uploaded: locking the back buffer itself may first read it back
  // whole from the device (Wine does), which costs more than the copy.
  IDirect3DSurface9* target = staging_ != nullptr ? staging_ : backBuffer_;
  D3DLOCKED_RECT locked{};
  if (target->LockRect(&locked, &r, 0) != D3D_OK) return false;
  auto* bytes = static_cast<uint8_t*>(locked.pBits);
  for (LONG row = r.top; row < r.bottom; ++row) {
    std::memcpy(bytes + static_cast<ptrdiff_t>(row - r.top) * locked.Pitch,
                pixels + static_cast<size_t>(row) * width + r.left, static_cast<size_t>(r.right - r.left) * 4);
  }
  target->UnlockRect();
  if (staging_ == nullptr || !upload) return true;
  const POINT at{r.left, r.top};
  return device_->UpdateSurface(staging_, &r, backBuffer_, &at) == D3D_OK;
}

bool D3d9Presenter::present(const uint32_t* pixels, int width, int height) {
  if (lost_ && !restoreLost()) return false;
  if (device_ == nullptr || backBuffer_ == nullptr) return false;
  if (width == width_ && height == height_) {
    // A failed lock skips the copy: nothing is written through an old pointer.
    holdsFrame_ = copyRect(pixels, width, RECT{0, 0, width, height}, true);
  }
  if (device_->Present(nullptr, nullptr, nullptr, nullptr) == D3DERR_DEVICELOST) {
    lost_ = true;
    holdsFrame_ = false;
    return false;
  }
  return true;
}

}  // namespace mw
