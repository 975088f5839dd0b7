// Copying changed rectangles into the window surface, and telling software rasterizers apart.
#include "platform/sdl/window_surface.h"

#include <SDL_syswm.h>
#include <X11/Xlib.h>

#include <algorithm>
#include <cstring>

namespace mw {

bool takesFrameRows(const SDL_Surface* surface) {
  const SDL_PixelFormat* f = surface->format;
  return f->BytesPerPixel == 4 && f->Rmask == 0x00FF0000u && f->Gmask == 0x0000FF00u && f->Bmask == 0x000000FFu;
}

int copyToSurface(const uint32_t* pixels, int width, int height, const PresentRect* rects, int count,
                  SDL_Surface* surface, SDL_Rect* out) {
  int n = 0;
  if (count > MAX_SURFACE_RECTS) {
    // Many small pieces: one band of whole rows holding them all.
    int top = height, bottom = 0;
    for (int i = 0; i < count; ++i) {
      top = std::min(top, rects[i].y);
      bottom = std::max(bottom, rects[i].y + rects[i].height);
    }
    top = std::max(top, 0);
    bottom = std::min(bottom, height);
    if (bottom > top) out[n++] = SDL_Rect{0, top, width, bottom - top};
  } else {
    for (int i = 0; i < count; ++i) {
      const int x0 = std::max(rects[i].x, 0), y0 = std::max(rects[i].y, 0);
      const int x1 = std::min(rects[i].x + rects[i].width, width), y1 = std::min(rects[i].y + rects[i].height, height);
      if (x1 > x0 && y1 > y0) out[n++] = SDL_Rect{x0, y0, x1 - x0, y1 - y0};
    }
  }
  const bool plain = takesFrameRows(surface);
  auto* base = static_cast<uint8_t*>(surface->pixels);
  for (int i = 0; i < n; ++i) {
    const SDL_Rect& r = out[i];
    const uint32_t* from = pixels + static_cast<size_t>(r.y) * width + r.x;
    uint8_t* to = base + static_cast<size_t>(r.y) * surface->pitch +
                  static_cast<size_t>(r.x) * surface->format->BytesPerPixel;
    if (plain) {
      for (int row = 0; row < r.h; ++row) {
        std::memcpy(to + static_cast<size_t>(row) * surface->pitch, from + static_cast<size_t>(row) * width,
                    static_cast<size_t>(r.w) * 4);
      }
    } else {
      SDL_ConvertPixels(r.w, r.h, SDL_PIXELFORMAT_ARGB8888, from, width * 4, surface->format->format, to,
                        surface->pitch);
    }
  }
  return n;
}

bool rendererIsSoftware(SDL_Renderer* renderer) {
  SDL_RendererInfo info;
  if (renderer == nullptr || SDL_GetRendererInfo(renderer, &info) != 0) return false;
  if (std::strcmp(info.name, "software") == 0) return true;
  if (std::strncmp(info.name, "opengl", 6) != 0) return false;
  // The renderer's context is current: its GL_RENDERER string names the rasterizer.
  using GetString = const unsigned char* (*)(unsigned int);
  const auto getString = reinterpret_cast<GetString>(SDL_GL_GetProcAddress("glGetString"));
  const unsigned char* name = getString != nullptr ? getString(0x1F01 /* GL_RENDERER */) : nullptr;
  if (name == nullptr) return false;
  const char* text = reinterpret_cast<const char*>(name);
  return std::strstr(text, "llvmpipe") != nullptr || std::strstr(text, "softpipe") != nullptr ||
         std::strstr(text, "Software Rasterizer") != nullptr || std::strstr(text, "swrast") != nullptr;
}

bool x11WithoutDirectRendering(SDL_Window* window) {
  SDL_SysWMinfo info;
  SDL_VERSION(&info.version);
  if (!SDL_GetWindowWMInfo(window, &info) || info.subsystem != SDL_SYSWM_X11) return false;
  Display* display = info.info.x11.display;
  for (const char* name : {"DRI3", "DRI2", "NV-GLX"}) {
    int opcode = 0, event = 0, error = 0;
    if (XQueryExtension(display, name, &opcode, &event, &error)) return false;
  }
  return true;
}

}  // namespace mw
