// The Windows platform: one popup window over the monitor under the pointer, GDI screen capture,
// Direct3D 9 presentation with frame pacing, DirectSound, and window messages for the core.
#include "platform/win32/win32_platform.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "platform/common/wait_until.h"
#include "platform/win32/wide_text.h"
#include "platform/win32/win32_paths.h"

namespace mw {

namespace {

constexpr wchar_t CLASS_NAME[] = L"Mirthwick";
constexpr int SMALL_ICON = 101;
constexpr int LARGE_ICON = 103;
constexpr int MENU_CURSOR = 13;

uint64_t performanceCounter() {
  LARGE_INTEGER counter{};
  QueryPerformanceCounter(&counter);
  return static_cast<uint64_t>(counter.QuadPart);
}

}  // namespace

Win32Platform::Win32Platform(HINSTANCE instance, bool openSound)
    : instance_(instance), soundDeferred_(!openSound), pacer_(0, 1) {
  LARGE_INTEGER frequency{};
  QueryPerformanceFrequency(&frequency);
  ticksPerSecond_ = frequency.QuadPart > 0 ? frequency.QuadPart : 1;
  // The monitor under the pointer at start is the one photographed and covered.
  POINT pointer{};
  GetCursorPos(&pointer);
  monitor_ = MonitorFromPoint(pointer, MONITOR_DEFAULTTOPRIMARY);
  MONITORINFO info{};
  info.cbSize = sizeof info;
  if (GetMonitorInfoW(monitor_, &info)) {
    monitorRect_ = info.rcMonitor;
  } else {
    monitorRect_ = RECT{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
  }
}

Win32Platform::~Win32Platform() {
  audio_.close();
  presenter_.release();
  if (window_ != nullptr) DestroyWindow(window_);
  if (classRegistered_) UnregisterClassW(CLASS_NAME, instance_);
  if (menuCursor_ != nullptr) DestroyCursor(menuCursor_);
  if (largeIcon_ != nullptr) DestroyIcon(largeIcon_);
  if (smallIcon_ != nullptr) DestroyIcon(smallIcon_);
}

bool Win32Platform::captureScreen(ScreenCapture& out) {
  out = ScreenCapture{};
  const int width = monitorRect_.right - monitorRect_.left;
  const int height = monitorRect_.bottom - monitorRect_.top;
  if (width <= 0 || height <= 0) return false;
  HDC screen = GetDC(nullptr);
  if (screen == nullptr) return false;
  HDC memory = CreateCompatibleDC(screen);
  // A 32-bit top-down DIB section: rows top first, pixels blue, green, red, pad, as the core wants.
  BITMAPINFO format{};
  format.bmiHeader.biSize = sizeof format.bmiHeader;
  format.bmiHeader.biWidth = width;
  format.bmiHeader.biHeight = -height;
  format.bmiHeader.biPlanes = 1;
  format.bmiHeader.biBitCount = 32;
  format.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  HBITMAP bitmap = memory != nullptr ? CreateDIBSection(screen, &format, DIB_RGB_COLORS, &bits, nullptr, 0) : nullptr;
  bool taken = false;
  if (bitmap != nullptr && bits != nullptr) {
    HGDIOBJ previous = SelectObject(memory, bitmap);
    taken = BitBlt(memory, 0, 0, width, height, screen, monitorRect_.left, monitorRect_.top, SRCCOPY | CAPTUREBLT);
    GdiFlush();
    if (taken) {
      out.width = width;
      out.height = height;
      const auto* pixels = static_cast<const uint32_t*>(bits);
      out.pixels.assign(pixels, pixels + static_cast<size_t>(width) * static_cast<size_t>(height));
    }
    SelectObject(memory, previous);
  }
  if (bitmap != nullptr) DeleteObject(bitmap);
  if (memory != nullptr) DeleteDC(memory);
  ReleaseDC(nullptr, screen);
  return taken;
}

void Win32Platform::createWindow(int width, int height) {
  if (width <= 0 || height <= 0) {
    width = monitorRect_.right - monitorRect_.left;
    height = monitorRect_.bottom - monitorRect_.top;
  }
  smallIcon_ = static_cast<HICON>(
      LoadImageW(instance_, MAKEINTRESOURCEW(SMALL_ICON), IMAGE_ICON, 16, 16, LR_DEFAULTCOLOR));
  largeIcon_ = static_cast<HICON>(
      LoadImageW(instance_, MAKEINTRESOURCEW(LARGE_ICON), IMAGE_ICON, 32, 32, LR_DEFAULTCOLOR));
  WNDCLASSEXW windowClass{};
  windowClass.cbSize = sizeof windowClass;
  windowClass.style = CS_CLASSDC;
  windowClass.lpfnWndProc = &Win32Platform::windowProcedure;
  windowClass.hInstance = instance_;
  windowClass.hIcon = largeIcon_;
  windowClass.hCursor = nullptr;         // chosen per frame: hidden, or the menu cursor
  windowClass.hbrBackground = nullptr;  // never erased: every frame covers it
  windowClass.lpszClassName = CLASS_NAME;
  windowClass.hIconSm = smallIcon_;
  classRegistered_ = RegisterClassExW(&windowClass) != 0;
  // Hidden until the first presentation: the second photograph is taken meanwhile.
  window_ = CreateWindowExW(0, CLASS_NAME, L"Mirthwick", WS_POPUP, monitorRect_.left, monitorRect_.top, width, height,
                            nullptr, nullptr, instance_, this);
  if (window_ == nullptr) {
    std::fprintf(stderr, "Mirthwick: no window (error %lu)\n", GetLastError());
    return;
  }
  created_ = true;
  if (!soundDeferred_) audio_.open(window_);
}

LRESULT CALLBACK Win32Platform::windowProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_NCCREATE) {
    const auto* creation = reinterpret_cast<const CREATESTRUCTW*>(lParam);
    SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(creation->lpCreateParams));
  }
  auto* self = reinterpret_cast<Win32Platform*>(GetWindowLongPtrW(window, GWLP_USERDATA));
  if (self == nullptr) return DefWindowProcW(window, message, wParam, lParam);
  return self->handle(window, message, wParam, lParam);
}

LRESULT Win32Platform::handle(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_KEYDOWN:
    case WM_KEYUP:
    case WM_MOUSEMOVE:
    case WM_LBUTTONDOWN:
    case WM_LBUTTONUP:
    case WM_RBUTTONDOWN:
    case WM_RBUTTONUP:
      queue(message, wParam, lParam);
      break;
    case WM_DESTROY:
      queue(message, wParam, lParam);
      window_ = nullptr;
      presenter_.release();
      break;
    case WM_SETCURSOR:
      if (LOWORD(lParam) == HTCLIENT) {
        SetCursor(cursorVisible_ ? menuCursor_ : nullptr);
        return TRUE;
      }
      break;
    case WM_ERASEBKGND:
      return 1;
    case WM_PAINT:
      // The next frame is presented whole, even when nothing in it changed.
      ValidateRect(window, nullptr);
      repaint_ = true;
      return 0;
    default:
      break;
  }
  // Key presses with Alt held, and F10, arrive as system keys and go to the default handling only.
  return DefWindowProcW(window, message, wParam, lParam);
}

void Win32Platform::queue(uint32_t message, WPARAM wParam, LPARAM lParam) {
  // The messages sent while the window is being created are the core's own to simulate.
  if (!created_ || queueCount_ == QUEUE_CAPACITY) return;
  queue_[(queueHead_ + queueCount_) % QUEUE_CAPACITY] =
      WindowMessage{message, static_cast<uint32_t>(wParam), static_cast<int32_t>(lParam)};
  ++queueCount_;
}

bool Win32Platform::peekMessage(WindowMessage& out) {
  MSG message{};
  while (queueCount_ == 0 && PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
    TranslateMessage(&message);
    DispatchMessageW(&message);
  }
  if (queueCount_ == 0) return false;
  out = queue_[queueHead_];
  queueHead_ = (queueHead_ + 1) % QUEUE_CAPACITY;
  --queueCount_;
  return true;
}

void Win32Platform::setPresentation(bool windowed) {
  if (window_ == nullptr) return;
  const int width = monitorRect_.right - monitorRect_.left;
  const int height = monitorRect_.bottom - monitorRect_.top;
  if (!shown_) {
    shown_ = true;
    ShowWindow(window_, SW_SHOW);
    SetForegroundWindow(window_);
    SetFocus(window_);
  }
  presenter_.release();
  if (windowed) {
    // A borderless window of the monitor's size, where the full-screen one was.
    SetWindowLongPtrW(window_, GWL_STYLE, WS_POPUP | WS_VISIBLE);
    SetWindowPos(window_, HWND_TOP, monitorRect_.left, monitorRect_.top, width, height,
                 SWP_FRAMECHANGED | SWP_SHOWWINDOW);
  }
  presenter_.build(window_, monitor_, width, height, windowed);
  repaint_ = true;
  pacer_ = FramePacer(presenter_.refreshHz(), static_cast<uint64_t>(ticksPerSecond_));
}

int64_t Win32Platform::now() const { return static_cast<int64_t>(performanceCounter()); }

void Win32Platform::waitUntil(int64_t tick) {
  mw::waitUntil(static_cast<uint64_t>(std::max<int64_t>(tick, 0)), performanceCounter,
                static_cast<uint64_t>(ticksPerSecond_));
}

void Win32Platform::present(const uint32_t* pixels, int width, int height) {
  if (pixels == nullptr || width <= 0 || height <= 0) return;
  // Frames come at the display's rate even where Present does not wait for the retrace.
  waitUntil(static_cast<int64_t>(pacer_.presentAt(static_cast<uint64_t>(now()))));
  presenter_.present(pixels, width, height);
  pacer_.presented(static_cast<uint64_t>(now()));
}

void Win32Platform::presentRegions(const uint32_t* pixels, int width, int height, const PresentRect* rects,
                                   int count) {
  if (pixels == nullptr || width <= 0 || height <= 0) return;
  if (count == 0 && !repaint_ && presenter_.holdsFrame(width, height) && pacer_.canSkip()) {
    // Nothing changed and nothing needs painting again: no present, only the wait for the frame's turn.
    waitUntil(static_cast<int64_t>(pacer_.skipAt(static_cast<uint64_t>(now()))));
    pacer_.skipped(static_cast<uint64_t>(now()));
    countFrame(false);
    return;
  }
  const int limit = static_cast<int>(sizeof dirty_ / sizeof dirty_[0]);
  int n = 0;
  if (count > limit) {
    // Many small pieces: one band of whole rows holding them all.
    LONG top = rects[0].y, bottom = rects[0].y + rects[0].height;
    for (int i = 1; i < count; ++i) {
      top = std::min<LONG>(top, rects[i].y);
      bottom = std::max<LONG>(bottom, rects[i].y + rects[i].height);
    }
    dirty_[n++] = RECT{0, top, width, bottom};
  } else {
    for (int i = 0; i < count; ++i)
      dirty_[n++] = RECT{rects[i].x, rects[i].y, rects[i].x + rects[i].width, rects[i].y + rects[i].height};
  }
  waitUntil(static_cast<int64_t>(pacer_.presentAt(static_cast<uint64_t>(now()))));
  const bool whole = repaint_;
  repaint_ = false;
  if (!presenter_.presentRegions(pixels, width, height, dirty_, n, whole)) repaint_ = true;
  pacer_.presented(static_cast<uint64_t>(now()));
  countFrame(true);
}

void Win32Platform::countFrame(bool shown) {
  if (timing_ < 0) {
    const char* asked = std::getenv("MIRTHWICK_TIMING");
    timing_ = asked != nullptr && asked[0] != '\0' ? 1 : 0;
  }
  if (timing_ == 0) return;
  ++framesDone_;
  if (shown) ++framesShown_;
  const int64_t current = now();
  if (current < timingNext_) return;
  timingNext_ = current + ticksPerSecond_;
  // Running totals once a second: frames done (presented or skipped as unchanged) and presented.
  std::fprintf(stderr, "Mirthwick: %llu frames, %llu presented, at %.3f s\n",
               static_cast<unsigned long long>(framesDone_), static_cast<unsigned long long>(framesShown_),
               static_cast<double>(current) / static_cast<double>(ticksPerSecond_));
  std::fflush(stderr);
}

void Win32Platform::captureMouse(bool captured) {
  if (window_ == nullptr) return;
  if (captured) {
    SetCapture(window_);
  } else if (GetCapture() == window_) {
    ReleaseCapture();
  }
}

void Win32Platform::showMenuCursor(bool visible) {
  if (visible && menuCursor_ == nullptr) {
    menuCursor_ = static_cast<HCURSOR>(LoadImageW(instance_, MAKEINTRESOURCEW(MENU_CURSOR), IMAGE_CURSOR, 0, 0,
                                                  LR_DEFAULTCOLOR));
    if (menuCursor_ == nullptr)
      menuCursor_ = static_cast<HCURSOR>(LoadImageW(nullptr, MAKEINTRESOURCEW(32512), IMAGE_CURSOR, 0, 0,
                                                    LR_DEFAULTSIZE | LR_SHARED));  // the arrow
  }
  if (visible == cursorVisible_) return;  // asked every frame; it changes rarely
  cursorVisible_ = visible;
  SetCursor(visible ? menuCursor_ : nullptr);
}

void Win32Platform::attachSound(int slot, const uint8_t* bytes, uint32_t length) { audio_.attach(slot, bytes, length); }

void Win32Platform::playSound(int slot, int level, bool looping) {
  if (soundDeferred_ && window_ != nullptr) {
    soundDeferred_ = false;
    audio_.open(window_);
  }
  audio_.play(slot, level, looping);
}

void Win32Platform::stopSound(int slot) { audio_.stop(slot); }

void Win32Platform::showError(const char* text, const char* caption) {
  std::fprintf(stderr, "%s: %s\n", caption, text);
  MessageBoxW(nullptr, widen(text).c_str(), widen(caption).c_str(), MB_ICONERROR);
}

std::string Win32Platform::picturesFolder() { return narrow(picturesKnownFolder()); }

}  // namespace mw
